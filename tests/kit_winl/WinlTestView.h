#pragma once

#include "kit/winl/winl-misc.h"
#include "platform/wsys/Application.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace winltest {

namespace wsys = platform::wsys;

struct Message {
    unsigned int msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message& o) const {
        return msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};

// Stands for the layer's window view: takes timer ticks (logging the id the timer carries),
// messages and posts, while live.
class TestView : public wsys::View,
                 public WinlTimerTarget,
                 public WinlMessageTarget,
                 public WinlPostTarget {
public:
    void WINL_Timer(wsys::Timer& t) override {
        if (g_winl_only_timerhwnd && g_winl_only_timerhwnd != this) return;
        if (auto* holder = dynamic_cast<Winl_vZoz_sdh*>(t.UserInfo()))
            ticks.push_back(holder->getValue());
    }
    LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(Message{msg, wParam, lParam});
        if (onMessage) onMessage(msg, wParam, lParam);
        return 0;
    }
    bool winlCanPostMessage() override { return live; }

    std::vector<intptr_t> ticks;
    std::vector<Message> messages;
    std::function<void(unsigned int, WPARAM, LPARAM)> onMessage;
    bool live = true;
};

// A fresh window system on a manual clock, with the layer's application delegate and its tick.
class WinlLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        wsys::App().Reset();
        wsys::App().SetDelegate(wsys::Make<WinlAppDelegate>().get());
        WINL_Internal_PostMessage_Init();
    }
    void TearDown() override {
        for (const wsys::Ref<wsys::Object>& v : views)
            KillTimer(v.get(), 0xFFFFFFFF);
        WINL_Internal_PMQ_ClearAllMessages(nullptr);
        wsys::App().Reset();
    }
    TestView* view() {
        views.push_back(wsys::Make<TestView>().get());
        return static_cast<TestView*>(views.back().get());
    }

    testsupport::ManualClock clock;
    std::vector<wsys::Ref<wsys::Object>> views;
};

} // namespace winltest
