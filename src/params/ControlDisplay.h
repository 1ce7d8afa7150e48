#pragma once

#include <cstddef>
#include <string>

class ParamChangePlugin;

// The editor's parameter display: the name line shows the parameter changed last, the value
// line its value text. Stateless.
class ControlDisplay {
public:
    // Writes the parameter's name and the value text of value. Excluded parameters, and
    // kControlLibrary while the host's program changes pass, leave both lines. With
    // selectedPartOnly only parameters tagged with the selected part are shown. Any thread,
    // inside the plug lock.
    static void controlDisplay(ParamChangePlugin* plug, int paramIdx, double value,
                               bool selectedPartOnly);
    // Writes both lines as given, for a change that the frame above does not show.
    static void showLines(ParamChangePlugin* plug, const std::string& name,
                          const std::string& value);
    // The characters that a display line shows, at every size of the editor.
    static constexpr size_t kLineChars = 35;
    // At most `chars` characters of the text, the last of them "…" when it is cut; never
    // inside a UTF-8 sequence.
    static std::string shortened(const std::string& text, size_t chars);
    // value as a whole number ("%.0f": halves to even, -0.3 gives "-0"), at most 49
    // characters.
    static std::string getValueString(double value);
};
