#pragma once

#include "platform/wsys/Window.h"

#include <string>
#include <vector>

namespace platform::wsys {

// Answers of RunAlertPanel, by AppKit's numbers.
enum AlertReturn : int {
    kAlertDefaultReturn = 1,
    kAlertAlternateReturn = 0,
    kAlertOtherReturn = -1,
};

// An application-modal alert drawn here: the title in its title bar, the message (UTF-8, shown
// as written, lines broken between words), and up to three buttons along the bottom edge: the
// default one on the right, the alternate to its left, the other one on the left. A click on
// a button, Return or Enter (the default button) or Escape (a button titled "Cancel") answers.
class AlertPanel : public Panel {
public:
    AlertPanel(const std::string& title, const std::string& message,
               const std::vector<std::string>& buttons);

    const std::string& Message() const { return m_message; }
    // Default first; empty titles are left out.
    const std::vector<std::string>& Buttons() const { return m_buttons; }
    // A button's frame in screen coordinates.
    Rect ButtonScreenFrame(size_t index) const;
    // The answer of the button at the index.
    static int AnswerOf(size_t index);

private:
    std::string m_message;
    std::vector<std::string> m_buttons;
};

// Shows the alert, runs it modally and closes it: the answer of the button pressed (the
// default answer when the application is terminated meanwhile). An empty default title gives
// "OK"; empty alternate and other titles show no button.
int RunAlertPanel(const std::string& title, const std::string& message,
                  const std::string& defaultButton, const std::string& alternateButton,
                  const std::string& otherButton);

} // namespace platform::wsys
