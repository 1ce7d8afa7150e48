#pragma once

#include "kit/base/KIT_Relaxed.h"
#include "kit/effect/IParamTexts.h"

#include <memory>

class ControlAction;

// Kind of a parameter. A text parameter reports a change on every edit, even an unchanged one.
enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble, kTypeText };

// The integer reading of a value: truncation toward zero, saturated to the int range, NaN as 0.
int TruncToInt(double v);

// Room for a formatted value: 55 characters and the terminator.
constexpr int MAX_PARAM_DISPLAY_LEN = 56;

// One entry of the plug-in's parameter list: its kind, value in its own units, range, step,
// response curve, names and the texts that stand for particular values. No lock of its own:
// callers that need consistency hold the plug lock. The value alone may be read and written by
// any thread without it (indicators, sending jobs), a late value being harmless there.
class IParam {
public:
    static constexpr int kNameLen = 55; // name, label, group with terminator
    static constexpr int kDisplayTextLen = MAX_PARAM_DISPLAY_LEN; // display text with terminator

    IParam();
    ~IParam();
    IParam(const IParam&) = delete;
    IParam& operator=(const IParam&) = delete;

    // Each initialiser but InitText sets the kind only while it is still none, so a text
    // parameter stays one when an InitEnum follows. The two trailing ints are kept as given.
    void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "",
                  int extra1 = -1, int extra2 = -1);
    void InitInt(const char* name, int defaultVal, int min, int max, const char* label = "",
                 const char* group = "", int extra1 = -1, int extra2 = -1);
    void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                  const char* group = "", int extra1 = -1, int extra2 = -1);
    void InitDouble(const char* name, double defaultVal, double min, double max, double step,
                    const char* label = "", const char* group = "", int extra1 = -1,
                    int extra2 = -1);
    void InitText() { m_type = kTypeText; }

    EParamType Type() const { return m_type; }
    double Value() const { return m_value; }
    // Direct store, clamped into [min, max]; informs nobody.
    void Set(double v);

    // Ignores a shape of exactly 0.
    void SetShape(double shape);
    // min + (max − min) · n^shape, rounded to the step unless the kind is double, capped at max.
    void SetNormalized(double n);
    // The value SetNormalized(n) sets.
    double FromNormalized(double n) const;
    double GetNormalized() const { return GetNormalized(m_value); }
    // v clamped into the range and mapped through the inverse curve; 0 for an empty range.
    double GetNormalized(double v) const;
    double DBToAmp() const;

    void GetBounds(double* lo, double* hi) const;
    double GetMin() const { return m_min; }
    double GetMax() const { return m_max; }
    double GetStep() const { return m_step; }
    double GetShape() const { return m_shape; }
    double GetDefault() const { return m_default; }
    int GetDisplayPrecision() const { return m_displayPrecision; }

    // Texts are dense from value 0: a value equal to the record count appends a record and
    // raises max to it; a negative value or one beyond the count changes nothing.
    void SetDisplayText(int value, const char* text);
    // As SetDisplayText of each of the list's texts in turn; the parameter refers to the list
    // itself unless it already has more texts than the list.
    void SetDisplayTexts(std::shared_ptr<const IParamTexts> texts);
    void ResetDisplayTexts();
    int GetNDisplayTexts() const { return m_texts ? m_texts->size() : 0; }
    const char* GetDisplayText(int value) const;
    // "" (and *value untouched) for an index outside the records.
    const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
    // Case-sensitive exact match; writes nothing when there is none.
    bool MapDisplayText(const char* text, int* value) const;

    // Formats value into out (MAX_PARAM_DISPLAY_LEN bytes): its display text when asked for and
    // present, else the number at the display precision (or truncated when that is 0).
    void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const;
    void GetDisplayForHost(char* out, bool withDisplayText = true) const {
        GetDisplayForHost(m_value, false, out, withDisplayText);
    }
    // Names, labels and groups are held once per process (Init* cuts them to 54 characters).
    const char* GetNameForHost() const { return m_name; }
    // Empty while the current value is shown by a text, so no unit follows a word.
    const char* GetLabelForHost() const;
    const char* GetParamGroupForHost() const { return m_group; }

    // The send rule of the UI configuration; not owned.
    ControlAction* GetControlAction() const { return m_controlAction; }
    void SetControlAction(ControlAction* action) { m_controlAction = action; }

private:
    void initCommon(EParamType type, const char* name, double defaultVal, double min, double max,
                    double step, const char* label, const char* group, int extra1, int extra2);

    EParamType m_type = kTypeNone;
    int m_displayPrecision = 0;
    KIT_Relaxed<double> m_value{0.0};
    double m_min = 0.0;
    double m_max = 1.0;
    double m_step = 1.0;
    double m_shape = 1.0;
    double m_default = 0.0;
    int m_extra1 = 0;
    int m_extra2 = 0;
    // An instance holds 18,818 parameters, whose names repeat in every part and instance.
    const char* m_name = "";
    const char* m_label = "";
    const char* m_group = "";
    // The texts, shared with other parameters unless m_ownTexts is set, which is then the
    // same list: this parameter's own copy, changed in place.
    std::shared_ptr<const IParamTexts> m_texts;
    IParamTexts* m_ownTexts = nullptr;
    ControlAction* m_controlAction = nullptr;
};
