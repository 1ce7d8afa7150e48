#include "kit/effect/IParam.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

int TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(v);
}

namespace {

// Copies at most size − 1 characters and always terminates.
void copyCut(char* dst, const char* src, int size) {
    if (!src) src = "";
    const size_t n = strnlen(src, size_t(size - 1));
    memcpy(dst, src, n);
    dst[n] = 0;
}

bool isWhole(double v) {
    return v == std::floor(v);
}

// x to the power e; nearly every parameter has the straight curve, for which that is x.
double curve(double x, double e) {
    return e == 1.0 ? x : std::pow(x, e);
}

// Every parameter name, label and group of the module, each kept once, cut to the field's
// length. The set is as large as the layouts' distinct names: it is never emptied. An
// instance asks for 56,000 texts, of which the first instance adds 18,000 names: the set is a
// small flat table of hashes and places in blocks of texts, so that neither a look-up nor an
// addition allocates, and one lock serves a parameter's three texts.
class NamePool {
public:
    // name, label and group, each replaced by the pool's own text.
    void intern(const char* texts[3]) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int field = 0; field < 3; ++field)
            texts[field] = internLocked(texts[field], m_last[field]);
    }

private:
    static constexpr uint32_t kBlock = 65536;

    const char* internLocked(const char* text, const char*& last) {
        if (!text || !*text) return "";
        const uint32_t length = uint32_t(strnlen(text, size_t(IParam::kNameLen - 1)));
        // Neighbouring parameters mostly share a group and a label.
        if (last && strncmp(last, text, length) == 0 && last[length] == 0) return last;
        const uint32_t hash = hashOf(text, length);
        if (2 * (m_count + 1) > m_slots.size()) grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.place == 0) {
                slot = Slot{hash, store(text, length)};
                ++m_count;
                return last = textAt(slot.place);
            }
            if (slot.hash != hash) continue;
            const char* kept = textAt(slot.place);
            if (memcmp(kept, text, length) == 0 && kept[length] == 0) return last = kept;
        }
    }

    // Eight bytes at a time: the names are short, and the table wants few collisions.
    static uint32_t hashOf(const char* text, uint32_t length) {
        uint64_t h = 0x9E3779B97F4A7C15ull ^ length;
        for (uint32_t at = 0; at < length; at += 8) {
            uint64_t word = 0;
            memcpy(&word, text + at, std::min<uint32_t>(8, length - at));
            h = (h ^ word) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        return uint32_t(h);
    }

    // A place is block * kBlock + offset + 1, so that 0 marks an empty slot.
    struct Slot {
        uint32_t hash;
        uint32_t place;
    };

    const char* textAt(uint32_t place) const {
        return m_blocks[(place - 1) / kBlock].get() + (place - 1) % kBlock;
    }

    uint32_t store(const char* text, uint32_t length) {
        if (m_blocks.empty() || m_used + length + 1 > kBlock) {
            m_blocks.push_back(std::make_unique<char[]>(kBlock));
            m_used = 0;
        }
        char* copy = m_blocks.back().get() + m_used;
        memcpy(copy, text, length);
        copy[length] = 0;
        const uint32_t place = uint32_t(m_blocks.size() - 1) * kBlock + m_used + 1;
        m_used += length + 1;
        return place;
    }

    void grow() {
        std::vector<Slot> old(std::max<size_t>(8192, 2 * m_slots.size()), Slot{0, 0});
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.place == 0) continue;
            size_t i = slot.hash & mask;
            while (m_slots[i].place != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::mutex m_mutex;
    std::vector<Slot> m_slots;
    size_t m_count = 0;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    uint32_t m_used = 0;
    const char* m_last[3] = {};
};

// The parameters alive, whose names are the pool's.
std::atomic<long> g_params{0};

// Freed as the module unloads, or the process ends, when no parameter is alive; a plug-in left
// alive at exit keeps its names.
struct NamesOfTheModule {
    NamePool* pool = new NamePool;
    ~NamesOfTheModule() {
        if (g_params == 0) delete pool;
    }
};

NamePool& names() {
    static NamesOfTheModule names;
    return *names.pool;
}

} // namespace

static_assert(IParamTexts::kMaxLength + 1 == IParam::kDisplayTextLen);

IParam::IParam() {
    ++g_params;
}

IParam::~IParam() {
    --g_params;
}

void IParam::initCommon(EParamType type, const char* name, double defaultVal, double min,
                        double max, double step, const char* label, const char* group, int extra1,
                        int extra2) {
    if (m_type == kTypeNone) m_type = type;
    const char* texts[3] = {name, label, group};
    names().intern(texts);
    m_name = texts[0];
    m_label = texts[1];
    m_group = texts[2];
    m_min = min;
    m_max = max;
    m_step = step;
    m_value = m_default = defaultVal;
    m_displayPrecision = 0;
    m_extra1 = extra1;
    m_extra2 = extra2;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group,
                      int extra1, int extra2) {
    initCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, group, extra1,
               extra2);
    static const std::shared_ptr<const IParamTexts> offOn = IParamTexts::Shared({"off", "on"});
    SetDisplayTexts(offOn);
}

void IParam::InitInt(const char* name, int defaultVal, int min, int max, const char* label,
                     const char* group, int extra1, int extra2) {
    const double hi = double(max) > double(min) + 1.0 ? double(max) : double(min) + 1.0;
    initCommon(kTypeInt, name, defaultVal, min, hi, 1.0, label, group, extra1, extra2);
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group, int extra1, int extra2) {
    const double hi = nEnums - 1.0 > 1.0 ? nEnums - 1.0 : 1.0;
    initCommon(kTypeEnum, name, defaultVal, 0.0, hi, 1.0, label, group, extra1, extra2);
}

void IParam::InitDouble(const char* name, double defaultVal, double min, double max, double step,
                        const char* label, const char* group, int extra1, int extra2) {
    initCommon(kTypeDouble, name, defaultVal, min, max > min + step ? max : min + step, step, label,
               group, extra1, extra2);
    if (isWhole(step)) return;
    double power = 1.0;
    for (int k = 1; k <= 5; ++k) {
        power *= 10.0;
        if (isWhole(step * power)) {
            m_displayPrecision = k;
            return;
        }
    }
    m_displayPrecision = 6;
}

void IParam::Set(double v) {
    if (std::isnan(v) || v < m_min) v = m_min;
    if (v > m_max) v = m_max;
    m_value = v;
}

void IParam::SetShape(double shape) {
    if (shape != 0.0) m_shape = shape;
}

void IParam::SetNormalized(double n) {
    m_value = FromNormalized(n);
}

double IParam::FromNormalized(double n) const {
    double v = m_min + (m_max - m_min) * curve(n, m_shape);
    if (m_step > 0.0) {
        const double steps = v / m_step, nearest = std::floor(steps + 0.5);
        // A double keeps its fraction, but not the rounding error of a value's way through
        // its normalised form: 15 of 0..29 would come back as 14.999… and be taken as 14.
        if (m_type != kTypeDouble || std::fabs(steps - nearest) < 1e-9) v = m_step * nearest;
    }
    return v < m_max ? v : m_max;
}

double IParam::GetNormalized(double v) const {
    if (m_max == m_min) return 0.0;
    if (v < m_min) v = m_min;
    if (v > m_max) v = m_max;
    return curve((v - m_min) / (m_max - m_min), 1.0 / m_shape);
}

double IParam::DBToAmp() const {
    return std::exp(m_value * 0.1151292546497);
}

void IParam::GetBounds(double* lo, double* hi) const {
    *lo = m_min;
    *hi = m_max;
}

void IParam::SetDisplayText(int value, const char* text) {
    const int count = GetNDisplayTexts();
    if (value < 0 || value > count) return;
    if (!m_ownTexts) {
        auto own = m_texts ? std::make_shared<IParamTexts>(*m_texts)
                           : std::make_shared<IParamTexts>();
        m_ownTexts = own.get();
        m_texts = std::move(own);
    }
    m_ownTexts->set(value, text);
    if (value == count) m_max = value;
}

void IParam::SetDisplayTexts(std::shared_ptr<const IParamTexts> texts) {
    const int count = GetNDisplayTexts();
    if (!texts || texts->size() == 0) return;
    if (count > texts->size()) {
        for (int i = 0; i < texts->size(); ++i)
            SetDisplayText(i, texts->text(i));
        return;
    }
    if (texts->size() > count) m_max = texts->size() - 1;
    m_texts = std::move(texts);
    m_ownTexts = nullptr;
}

void IParam::ResetDisplayTexts() {
    m_texts.reset();
    m_ownTexts = nullptr;
}

const char* IParam::GetDisplayText(int value) const {
    // Records are dense from 0, so a value is its own index.
    return GetDisplayTextAtIdx(value);
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
    if (idx < 0 || idx >= GetNDisplayTexts()) return "";
    if (value) *value = idx;
    return m_texts->text(idx);
}

bool IParam::MapDisplayText(const char* text, int* value) const {
    if (!text) return false;
    for (int i = 0; i < GetNDisplayTexts(); ++i) {
        if (strcmp(m_texts->text(i), text) == 0) {
            *value = i;
            return true;
        }
    }
    return false;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out,
                               bool withDisplayText) const {
    if (normalized) value = m_min + (m_max - m_min) * curve(value, m_shape);
    if (withDisplayText) {
        const char* text = GetDisplayText(TruncToInt(value));
        if (*text) {
            copyCut(out, text, MAX_PARAM_DISPLAY_LEN);
            return;
        }
    }
    if (m_displayPrecision != 0)
        snprintf(out, MAX_PARAM_DISPLAY_LEN, "%.*f", m_displayPrecision, value);
    else
        snprintf(out, MAX_PARAM_DISPLAY_LEN, "%d", TruncToInt(value));
}

const char* IParam::GetLabelForHost() const {
    return *GetDisplayText(TruncToInt(m_value)) ? "" : m_label;
}
