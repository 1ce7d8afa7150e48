#include "kit/effect/IParam.h"
#include "kit/effect/IParamTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

TEST(IParam, NormalisedRoundTripsForEveryKindAndPrecisionFollowsTheStep) {
    IParam b, i, e, t, d;
    b.InitBool("Bool", true);
    i.InitInt("Int", 3, -12, 12);
    e.InitEnum("Enum", 0, 5);
    t.InitText();
    t.InitEnum("Text", 0, 3);
    d.InitDouble("Double", 0.0, 0.0, 100.0, 0.1);
    d.SetShape(2.0);
    EXPECT_EQ(t.Type(), kTypeText); // InitText wins over a later InitEnum
    for (IParam* p : {&b, &i, &e, &t})
        for (double v = p->GetMin(); v <= p->GetMax(); v += 1.0) {
            p->SetNormalized(p->GetNormalized(v));
            EXPECT_EQ(p->Value(), v) << p->GetNameForHost();
        }
    for (double v : {0.0, 6.25, 25.0, 99.0}) {
        d.SetNormalized(d.GetNormalized(v));
        EXPECT_NEAR(d.Value(), v, 1e-9);
    }
    for (auto [step, precision] : std::vector<std::pair<double, int>>{
             {0.01, 2}, {0.5, 1}, {1.0, 0}, {0.001, 3}, {0.0000001, 6}}) {
        IParam q;
        q.InitDouble("q", 0.0, 0.0, 10.0, step);
        EXPECT_EQ(q.GetDisplayPrecision(), precision) << step;
    }
}

TEST(IParam, RangesRoundingAndClamps) {
    IParam i, d, one, text;
    i.InitInt("i", 0, 0, 3);
    i.SetNormalized(0.5);
    EXPECT_EQ(i.Value(), 2.0); // 1.5 rounds up
    i.SetNormalized(1.4);
    EXPECT_EQ(i.Value(), 3.0);
    i.InitInt("i", 5, 5, 5); // an empty range is widened by one
    EXPECT_EQ(i.GetMax(), 6.0);
    d.InitDouble("d", 0.0, 0.0, 3.0, 1.0);
    d.SetNormalized(0.5);
    EXPECT_EQ(d.Value(), 1.5); // doubles are not rounded to the step
    // ... but a whole value comes back whole from its normalised form.
    IParam whole;
    whole.InitDouble("w", 0.0, 0.0, 29.0, 1.0);
    whole.SetNormalized(whole.GetNormalized(15.0));
    EXPECT_EQ(whole.Value(), 15.0);
    EXPECT_EQ(d.GetNormalized(30.0), 1.0);
    EXPECT_EQ(d.GetNormalized(-5.0), 0.0);
    d.Set(99.0);
    EXPECT_EQ(d.Value(), 3.0);
    d.Set(NAN);
    EXPECT_EQ(d.Value(), 0.0);

    // An enum of one entry whose only text is set for value 0, and a text parameter set up as
    // a double of step 0: no division by an empty range, no rounding to a zero step.
    one.InitEnum("one", 0, 1);
    one.SetDisplayText(0, "only");
    EXPECT_EQ(one.GetNormalized(), 0.0);
    one.SetNormalized(0.7);
    EXPECT_EQ(one.Value(), 0.0);
    text.InitText();
    text.InitDouble("t", 0.0, 0.0, 10.0, 0.0);
    text.SetNormalized(0.25);
    EXPECT_EQ(text.Value(), 2.5);
}

TEST(IParam, DisplayTextsAreDenseAndCutToTheirFields) {
    IParam p;
    p.SetDisplayText(0, "zero");
    p.SetDisplayText(1, "one");
    p.SetDisplayText(0, "nought");
    EXPECT_EQ(p.GetMax(), 1.0);
    p.SetDisplayText(-1, "minus"); // neither a negative value nor a gap is written
    p.SetDisplayText(5, "five");
    EXPECT_EQ(p.GetNDisplayTexts(), 2);
    EXPECT_EQ(p.GetMax(), 1.0);
    EXPECT_STREQ(p.GetDisplayText(0), "nought");
    int v = 42;
    EXPECT_STREQ(p.GetDisplayTextAtIdx(7, &v), "");
    EXPECT_EQ(v, 42);

    const std::string longText(300, 'x');
    IParam cut;
    cut.InitInt(longText.c_str(), 0, 0, 1, longText.c_str(), longText.c_str());
    EXPECT_EQ(std::string(cut.GetNameForHost()), std::string(54, 'x'));
    EXPECT_EQ(std::string(cut.GetParamGroupForHost()), std::string(54, 'x'));
    cut.SetDisplayText(0, longText.c_str());
    EXPECT_EQ(std::string(cut.GetDisplayText(0)), std::string(55, 'x'));
    // Names are held once per process: one that differs only past the 54th byte is the same
    // text, and a name met again after others, as a name or a group, is found again.
    IParam a, b, c;
    a.InitBool((longText + "a").c_str(), false);
    b.InitBool("\xC3\xA9t\xC3\xA9", false);
    c.InitBool((longText + "b").c_str(), false, "", "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(c.GetNameForHost(), a.GetNameForHost());
    EXPECT_EQ(c.GetParamGroupForHost(), b.GetNameForHost());
    EXPECT_STREQ(b.GetNameForHost(), "\xC3\xA9t\xC3\xA9");

    IParam big; // a huge value at full precision still fits the display buffer
    big.InitDouble("big", 1e300, 0.0, 1e301, 0.0000001);
    char out[MAX_PARAM_DISPLAY_LEN + 8];
    memset(out, '#', sizeof(out));
    big.GetDisplayForHost(out, false);
    EXPECT_EQ(strlen(out), size_t(MAX_PARAM_DISPLAY_LEN - 1));
    EXPECT_EQ(out[MAX_PARAM_DISPLAY_LEN], '#');
}

TEST(IParam, DisplayForHostPrefersTextsThenPrecision) {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 10.0, 1.0, "Hz");
    p.SetDisplayText(0, "");
    p.SetDisplayText(1, "one");
    p.SetDisplayText(2, "two"); // the texts leave the range 0..2
    char out[MAX_PARAM_DISPLAY_LEN];
    p.GetDisplayForHost(2.9, false, out, true);
    EXPECT_STREQ(out, "two");
    p.GetDisplayForHost(2.9, false, out, false);
    EXPECT_STREQ(out, "2");
    p.GetDisplayForHost(0.0, false, out, true); // an empty text falls back to the number
    EXPECT_STREQ(out, "0");
    p.GetDisplayForHost(0.5, true, out, true);
    EXPECT_STREQ(out, "one");
    // The unit is left out while a text shows the value.
    p.Set(1.0);
    EXPECT_STREQ(p.GetLabelForHost(), "");
    p.Set(0.0);
    EXPECT_STREQ(p.GetLabelForHost(), "Hz");

    IParam b; // InitBool replaces texts already there
    b.InitEnum("b", 0, 3);
    b.SetDisplayText(0, "a");
    b.SetDisplayText(1, "b");
    b.InitBool("b", false);
    EXPECT_STREQ(b.GetDisplayText(1), "on");
    int v = 7;
    EXPECT_FALSE(b.MapDisplayText("On", &v));
    EXPECT_TRUE(b.MapDisplayText("off", &v));
    EXPECT_EQ(v, 0);
}

TEST(IParam, SharedTextsAreOneListUntilAParameterChangesItsOwn) {
    const std::string longText = std::string(55, 'x') + "\xC3\xA9";
    const auto list = IParamTexts::Shared({"Aus", "\xC3\x84n", longText});
    // The same texts give the same list; a difference past the 55th byte is cut away.
    EXPECT_EQ(IParamTexts::Shared({"Aus", "\xC3\x84n", std::string(55, 'x') + "y"}), list);
    EXPECT_NE(IParamTexts::Shared({"Aus", "\xC3\x84n"}), list);
    EXPECT_EQ(std::string(list->text(2)), std::string(55, 'x'));

    IParam p, q, r;
    p.InitEnum("p", 0, 1);
    p.SetDisplayTexts(list);
    q.SetDisplayTexts(list);
    EXPECT_EQ(p.GetMax(), 2.0);
    EXPECT_EQ(list.use_count(), 3);
    q.SetDisplayText(1, "On");
    q.SetDisplayText(3, "Auto");
    EXPECT_STREQ(p.GetDisplayText(1), "\xC3\x84n");
    EXPECT_STREQ(list->text(1), "\xC3\x84n");
    EXPECT_STREQ(q.GetDisplayText(1), "On");
    EXPECT_EQ(q.GetMax(), 3.0);
    EXPECT_EQ(list.use_count(), 2);
    int v = -1;
    EXPECT_TRUE(p.MapDisplayText("\xC3\x84n", &v));
    EXPECT_EQ(v, 1);

    // A parameter with more texts than the list keeps the rest, as one text at a time would.
    r.SetDisplayTexts(IParamTexts::Shared({"a", "b", "c", "d"}));
    r.SetDisplayTexts(list);
    EXPECT_EQ(r.GetNDisplayTexts(), 4);
    EXPECT_STREQ(r.GetDisplayText(2), list->text(2));
    EXPECT_STREQ(r.GetDisplayText(3), "d");
    EXPECT_EQ(r.GetMax(), 3.0);
    r.ResetDisplayTexts();
    r.SetDisplayTexts(IParamTexts::Shared({}));
    EXPECT_EQ(r.GetNDisplayTexts(), 0);
}
