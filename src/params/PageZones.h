#pragma once

#include <string>

class ControlLayer;
class ParamChangePlugin;

// The numbered zones of the sound pages that the page switches and the sound page rules
// share. A part's page is the sub-layer of a main-tab page at the index of the page's value.

// Hides or shows the plug-in's named layer; a layer the layout lacks is passed over.
void hideNamedLayer(ParamChangePlugin* plug, const std::string& name, bool hidden);
// Hides the eight bank menus of the librarian page.
void hideBankMenus(ParamChangePlugin* plug);
// The librarian's filters below the lower list as the data type and the views stand: the
// category limit and the search field at hand with sounds only, the Search button with sounds
// outside the category view.
void grayLibrarianFilters(ParamChangePlugin* plug);
// The same, with the search field shown while Search is on and the category limit otherwise;
// for the librarian page only, as a layer shown is drawn whatever its page.
void showLibrarianFilters(ParamChangePlugin* plug);
// A short message on the display: name on the name line and, when given, value on the
// value line.
void showMessage(ParamChangePlugin* plug, const char* name, const char* value = nullptr);

// The child at the index of the layer's selected id; null when there is none.
ControlLayer* selectedChild(ControlLayer* layer);
// Selects id and shows the child of that id, hiding every other child, in list order.
void selectChild(ControlLayer* layer, int id);

// One effect's zones on a part's page of "effectsArp".
struct EffectZones {
    int modeParam;         // + part
    int clockedParam;      // + part: 1 while the delay runs on the clock
    int typeOffset;        // the type panel is the child typeOffset + mode
    int delayBase;         // the delay's free (+0) and clocked (+1) panels
    int delayZone;         // greyed while the delay runs free
    int closing[2];        // shown for every mode but the delay
    const char* overlayer; // covers the effect on parts 5 to 16
};
extern const EffectZones kEffectZones[2];
constexpr int kDelayMode = 4;

// The page of the part that "effectsArp" shows; null when its value names no child.
ControlLayer* currentEffectsPage(ParamChangePlugin* plug);
// The delay's view: its zone, the clocked or the free panel, the zone greyed while free.
void showDelayClocking(ControlLayer* page, const EffectZones& fx, bool clocked);
// The panels of an effect that is no delay.
void showClosingEntries(ControlLayer* page, const EffectZones& fx);
