#pragma once

#include <vector>

// The editor keeps a parameter of its own for every setting of every effect type, while the
// synthesizer addresses an effect's settings through 14 common slots (`kEffect1Param01`..14,
// `kEffect2Param01`..14). Each slot has the effect-type parameters that map onto it; an
// effect-type parameter belongs to at most one slot. Ids are part-0 ids.
namespace EffectAliases {

constexpr int kSlotCount = 14;

// The common slot parameter of position 0..13 of effect 0 (FX1) or 1 (FX2).
int slot(int effect, int position);
// The effect-type parameters of that slot, in table order.
const std::vector<int>& of(int effect, int position);
// The aliases of a common slot parameter (part-0 id); empty for any other id.
const std::vector<int>& ofSlot(int slotParam);

} // namespace EffectAliases
