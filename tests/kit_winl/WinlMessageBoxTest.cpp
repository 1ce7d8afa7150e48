// MessageBox over the drawn alert: each type's buttons and answers, keys, the text shown as
// written, and a picture of one.

#include "kit/winl/winl-miscdlg.h"
#include "platform/wsys/Alert.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Inject.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/RunLoop.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

namespace wsys = platform::wsys;

class WinlMessageBox : public ::testing::Test {
protected:
    void SetUp() override { wsys::App().Reset(); }
    void TearDown() override {
        wsys::RunLoop::Main().SetTurnHook(nullptr);
        wsys::App().Reset();
    }
    // The first turn with the alert up runs act on it, once.
    void onAlert(std::function<void(wsys::AlertPanel&)> act) {
        m_acted = false;
        wsys::RunLoop::Main().SetTurnHook([this, act] {
            auto* alert = dynamic_cast<wsys::AlertPanel*>(wsys::App().KeyWindow());
            if (!alert || m_acted) return;
            m_acted = true;
            titles = alert->Buttons();
            message = alert->Message();
            act(*alert);
        });
    }
    std::vector<std::string> titles;
    std::string message;
    testsupport::ManualClock clock;

private:
    bool m_acted = false;
};

void click(wsys::AlertPanel& alert, size_t button) {
    const wsys::Rect f = alert.ButtonScreenFrame(button);
    wsys::inject::Click(wsys::Point{f.MinX() + f.size.width / 2, f.MinY() + f.size.height / 2});
}

} // namespace

TEST_F(WinlMessageBox, EachTypesButtonsAndAnswers) {
    struct Case {
        int type;
        std::vector<std::string> buttons;
        std::vector<int> answers;
    };
    const Case cases[] = {
        {MB_OK, {"OK"}, {IDOK}},
        {MB_OKCANCEL, {"OK", "Cancel"}, {IDOK, IDCANCEL}},
        {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}},
        {MB_YESNO, {"Yes", "No"}, {IDYES, IDNO}},
        {MB_RETRYCANCEL, {"Retry", "Cancel"}, {IDRETRY, IDCANCEL}},
    };
    for (const Case& c : cases) {
        for (size_t b = 0; b < c.buttons.size(); ++b) {
            onAlert([b](wsys::AlertPanel& alert) { click(alert, b); });
            EXPECT_EQ(MessageBox(nullptr, "100%d %s", "Title", c.type), c.answers[b])
                << c.type << " " << b;
            EXPECT_EQ(titles, c.buttons);
            EXPECT_EQ(message, "100%d %s");
        }
    }
    EXPECT_TRUE(wsys::App().Windows().empty());

    // Return answers with the default button, Escape with Cancel.
    onAlert([](wsys::AlertPanel&) { wsys::inject::Key(36); });
    EXPECT_EQ(MessageBox(nullptr, nullptr, nullptr, MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(message, "");
    onAlert([](wsys::AlertPanel&) { wsys::inject::Key(53); });
    EXPECT_EQ(MessageBox(nullptr, "", "", MB_YESNOCANCEL), IDCANCEL);

    // Type 2 shows nothing.
    titles.clear();
    onAlert([](wsys::AlertPanel&) {});
    EXPECT_EQ(MessageBox(nullptr, "x", "y", 2), 0);
    EXPECT_EQ(MessageBox(nullptr, "x", "y", 6), 0);
    EXPECT_TRUE(titles.empty());
}

TEST_F(WinlMessageBox, Golden) {
    wsys::Ref<wsys::AlertPanel> alert = wsys::Make<wsys::AlertPanel>(
        "Bank", "Replace the bank \"Strings 2\" with 100% of the new patches? It cannot be undone.",
        std::vector<std::string>{"Yes", "Cancel", "No"});
    alert->MakeKeyAndOrderFront();
    const platform::Image picture = wsys::RenderWindow(alert.get());
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/winl_message_box.png",
                                           picture.pixels.data(), picture.width, picture.height,
                                           picture.width, 8, 40));
    alert->Close();
}
