#include "kit/effect/IParam.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_set>
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

// Every parameter name, label and group of the process, each kept once, cut to the field's
// length. The set is as large as the layouts' distinct names: it is never emptied.
class NamePool {
public:
    const char* intern(const char* text) {
        if (!text || !*text) return "";
        const std::string_view key(text, strnlen(text, size_t(IParam::kNameLen - 1)));
        std::lock_guard<std::mutex> lock(m_mutex);
        // Neighbouring parameters mostly share a group, and the parts their names.
        if (m_last && key == m_last) return m_last;
        const auto found = m_names.find(key);
        m_last = found != m_names.end() ? found->data() : store(key);
        return m_last;
    }

private:
    static constexpr size_t kBlock = 16384;

    const char* store(std::string_view key) {
        if (m_room < key.size() + 1) {
            m_blocks.push_back(std::make_unique<char[]>(kBlock));
            m_next = m_blocks.back().get();
            m_room = kBlock;
        }
        char* copy = m_next;
        memcpy(copy, key.data(), key.size());
        copy[key.size()] = 0;
        m_next += key.size() + 1;
        m_room -= key.size() + 1;
        m_names.insert(std::string_view(copy, key.size()));
        return copy;
    }

    std::mutex m_mutex;
    std::unordered_set<std::string_view> m_names;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_room = 0;
    const char* m_last = nullptr;
};

// Never destroyed: a plug-in left alive at exit keeps its names.
NamePool& names() {
    static NamePool* pool = new NamePool;
    return *pool;
}

} // namespace

static_assert(IParamTexts::kMaxLength + 1 == IParam::kDisplayTextLen);

IParam::IParam() = default;

void IParam::initCommon(EParamType type, const char* name, double defaultVal, double min,
                        double max, double step, const char* label, const char* group, int extra1,
                        int extra2) {
    if (m_type == kTypeNone) m_type = type;
    m_name = names().intern(name);
    m_label = names().intern(label);
    m_group = names().intern(group);
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
    double v = m_min + (m_max - m_min) * std::pow(n, m_shape);
    if (m_type != kTypeDouble && m_step > 0.0) v = m_step * std::floor(v / m_step + 0.5);
    m_value = v < m_max ? v : m_max;
}

double IParam::GetNormalized(double v) const {
    if (m_max == m_min) return 0.0;
    if (v < m_min) v = m_min;
    if (v > m_max) v = m_max;
    return std::pow((v - m_min) / (m_max - m_min), 1.0 / m_shape);
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
    if (normalized) value = m_min + (m_max - m_min) * std::pow(value, m_shape);
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
