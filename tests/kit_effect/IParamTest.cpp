#include "kit/effect/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

// Every value a stepped parameter can take survives value → normalised → value.
void expectSteppedRoundTrip(IParam& p) {
    for (double v = p.GetMin(); v <= p.GetMax(); v += p.GetStep()) {
        p.SetNormalized(p.GetNormalized(v));
        EXPECT_DOUBLE_EQ(p.Value(), v) << p.GetNameForHost();
    }
}

} // namespace

TEST(IParam, NormalisedRoundTripsForEveryKind) {
    IParam b, i, e, d, shaped, t;
    b.InitBool("Bool", true);
    i.InitInt("Int", 3, -12, 12);
    e.InitEnum("Enum", 0, 5);
    d.InitDouble("Double", 0.0, -1.0, 1.0, 0.01);
    shaped.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.1);
    shaped.SetShape(2.0);
    t.InitText();
    t.InitEnum("Text", 0, 3);
    expectSteppedRoundTrip(b);
    expectSteppedRoundTrip(i);
    expectSteppedRoundTrip(e);
    expectSteppedRoundTrip(t);
    for (double v : {-1.0, -0.37, 0.0, 0.5, 1.0}) {
        d.SetNormalized(d.GetNormalized(v));
        EXPECT_NEAR(d.Value(), v, 1e-12);
    }
    for (double v : {0.0, 6.25, 25.0, 99.0}) {
        shaped.SetNormalized(shaped.GetNormalized(v));
        EXPECT_NEAR(shaped.Value(), v, 1e-9);
    }
    EXPECT_EQ(t.Type(), kTypeText);
}

TEST(IParam, InitialisersSetRangeStepAndPrecision) {
    IParam p;
    p.InitInt("i", 5, 5, 5);
    EXPECT_EQ(p.GetMax(), 6.0);
    EXPECT_EQ(p.Type(), kTypeInt);
    IParam e;
    e.InitEnum("e", 0, 1);
    EXPECT_EQ(e.GetMax(), 1.0);
    IParam d;
    d.InitDouble("d", 0.0, 0.0, 0.0, 0.5);
    EXPECT_EQ(d.GetMax(), 0.5);
    EXPECT_EQ(d.GetDisplayPrecision(), 1);
    const struct {
        double step;
        int precision;
    } steps[] = {{0.01, 2}, {0.5, 1}, {1.0, 0}, {0.001, 3}, {0.0000001, 6}};
    for (const auto& s : steps) {
        IParam q;
        q.InitDouble("q", 0.0, 0.0, 10.0, s.step);
        EXPECT_EQ(q.GetDisplayPrecision(), s.precision) << s.step;
    }
    // A second initialiser keeps a kind already set.
    IParam twice;
    twice.InitBool("b", false);
    twice.InitInt("i", 2, 0, 9);
    EXPECT_EQ(twice.Type(), kTypeBool);
    EXPECT_EQ(twice.Value(), 2.0);
    EXPECT_EQ(twice.GetDefault(), 2.0);
}

TEST(IParam, SetNormalizedRoundsCapsAndFollowsTheShape) {
    IParam i, d, s;
    i.InitInt("i", 0, 0, 3);
    i.SetNormalized(0.5);
    EXPECT_EQ(i.Value(), 2.0); // 1.5 rounds up
    i.SetNormalized(1.4);
    EXPECT_EQ(i.Value(), 3.0); // upper cap
    d.InitDouble("d", 0.0, 0.0, 3.0, 1.0);
    d.SetNormalized(0.5);
    EXPECT_EQ(d.Value(), 1.5);
    d.SetNormalized(-0.5);
    EXPECT_EQ(d.Value(), -1.5); // there is no lower clamp
    s.InitDouble("s", 0.0, 0.0, 100.0, 1.0);
    s.SetShape(2.0);
    s.SetNormalized(0.5);
    EXPECT_EQ(s.Value(), 25.0);
    s.SetShape(0.0);
    EXPECT_EQ(s.GetShape(), 2.0);
}

TEST(IParam, EmptyRangeAndZeroStepStayFinite) {
    IParam one; // an enum of one entry whose only text is set for value 0
    one.InitEnum("one", 0, 1);
    one.SetDisplayText(0, "only");
    EXPECT_EQ(one.GetMin(), one.GetMax());
    EXPECT_EQ(one.GetNormalized(), 0.0);
    one.SetNormalized(0.7);
    EXPECT_EQ(one.Value(), 0.0);

    IParam text; // a text parameter initialised as double with step 0 rounds nothing
    text.InitText();
    text.InitDouble("t", 0.0, 0.0, 10.0, 0.0);
    text.SetNormalized(0.25);
    EXPECT_EQ(text.Value(), 2.5);
}

TEST(IParam, GetNormalizedClampsAndSetClamps) {
    IParam p;
    p.InitInt("p", 0, 10, 20);
    EXPECT_EQ(p.GetNormalized(30.0), 1.0);
    EXPECT_EQ(p.GetNormalized(-5.0), 0.0);
    p.Set(99.0);
    EXPECT_EQ(p.Value(), 20.0);
    p.Set(-99.0);
    EXPECT_EQ(p.Value(), 10.0);
    p.Set(NAN);
    EXPECT_EQ(p.Value(), 10.0);
}

TEST(IParam, DisplayTextsAreDenseAndExtendTheRange) {
    IParam p;
    p.SetDisplayText(0, "zero");
    EXPECT_EQ(p.GetMax(), 0.0);
    p.SetDisplayText(1, "one");
    EXPECT_EQ(p.GetMax(), 1.0);
    p.SetDisplayText(0, "nought");
    EXPECT_EQ(p.GetMax(), 1.0);
    EXPECT_STREQ(p.GetDisplayText(0), "nought");
    // Neither a negative value nor a gap is written.
    p.SetDisplayText(-1, "minus");
    p.SetDisplayText(5, "five");
    EXPECT_EQ(p.GetNDisplayTexts(), 2);
    EXPECT_EQ(p.GetMax(), 1.0);
    EXPECT_STREQ(p.GetDisplayText(5), "");
    int v = 42;
    EXPECT_STREQ(p.GetDisplayTextAtIdx(1, &v), "one");
    EXPECT_EQ(v, 1);
    EXPECT_STREQ(p.GetDisplayTextAtIdx(7, &v), "");
    EXPECT_EQ(v, 1);
    p.ResetDisplayTexts();
    EXPECT_EQ(p.GetNDisplayTexts(), 0);
    EXPECT_EQ(p.GetMax(), 1.0);

    IParam b;
    b.InitEnum("b", 0, 3);
    b.SetDisplayText(0, "a");
    b.SetDisplayText(1, "b");
    b.InitBool("b", false);
    EXPECT_STREQ(b.GetDisplayText(0), "off");
    EXPECT_STREQ(b.GetDisplayText(1), "on");
    EXPECT_EQ(b.GetMax(), 1.0);
    EXPECT_FALSE(b.MapDisplayText("On", &v));
    EXPECT_TRUE(b.MapDisplayText("on", &v));
    EXPECT_EQ(v, 1);
}

TEST(IParam, OverlongTextsAreCutToTheirFields) {
    const std::string longText(300, 'x');
    IParam p;
    p.InitInt(longText.c_str(), 0, 0, 1, longText.c_str(), longText.c_str());
    EXPECT_EQ(std::string(p.GetNameForHost()), std::string(54, 'x'));
    EXPECT_EQ(std::string(p.GetParamGroupForHost()), std::string(54, 'x'));
    p.SetDisplayText(0, longText.c_str());
    EXPECT_EQ(std::string(p.GetDisplayText(0)), std::string(55, 'x'));
    char out[MAX_PARAM_DISPLAY_LEN];
    p.GetDisplayForHost(out, true);
    EXPECT_EQ(std::string(out), std::string(55, 'x'));

    IParam big; // a huge value at full precision still fits the display buffer
    big.InitDouble("big", 1e300, 0.0, 1e301, 0.0000001);
    char guard[MAX_PARAM_DISPLAY_LEN + 8];
    memset(guard, '#', sizeof(guard));
    big.GetDisplayForHost(guard, false);
    EXPECT_EQ(strlen(guard), size_t(MAX_PARAM_DISPLAY_LEN - 1));
    EXPECT_EQ(guard[MAX_PARAM_DISPLAY_LEN], '#');
}

TEST(IParam, DisplayForHostPrefersTextsThenPrecision) {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 10.0, 1.0, "Hz");
    p.SetDisplayText(0, "");
    p.SetDisplayText(1, "one");
    p.SetDisplayText(2, "two");
    char out[MAX_PARAM_DISPLAY_LEN];
    p.GetDisplayForHost(2.9, false, out, true);
    EXPECT_STREQ(out, "two");
    p.GetDisplayForHost(2.9, false, out, false);
    EXPECT_STREQ(out, "2");
    p.GetDisplayForHost(0.0, false, out, true); // an empty text falls back to the number
    EXPECT_STREQ(out, "0");
    EXPECT_EQ(p.GetMax(), 2.0); // the texts reset the range to 0..2
    p.GetDisplayForHost(0.5, true, out, true);
    EXPECT_STREQ(out, "one");
    IParam q;
    q.InitDouble("q", 0.0, 0.0, 10.0, 0.01, "dB");
    q.GetDisplayForHost(2.9, false, out, true);
    EXPECT_STREQ(out, "2.90");
    q.GetDisplayForHost(0.25, true, out, true);
    EXPECT_STREQ(out, "2.50");
    // The label disappears while the value is shown by a text.
    p.Set(1.0);
    EXPECT_STREQ(p.GetLabelForHost(), "");
    p.Set(0.0);
    EXPECT_STREQ(p.GetLabelForHost(), "Hz");
}

TEST(IParam, DecibelsToAmplitude) {
    IParam p;
    p.InitDouble("gain", -6.0, -60.0, 12.0, 0.1);
    EXPECT_NEAR(p.DBToAmp(), 0.501187, 1e-6);
}
