#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageRules.h"

namespace qs {
namespace {

TEST(MessageRulesTest, OnlyMouseMovesPaintsAndTheCaretTimerLeaveIdlingOff) {
    const struct {
        unsigned message;
        bool rearms;
    } cases[] = {
        {0x0200, false}, {0x00A0, false}, {0x000F, false}, {0x0118, false},  // the four
        {0x0100, true},  {0x0113, true},  {0xA23D, true},  {0x0085, true},   // key, timer, private,
        {0x0201, true},  {0x0012, true},  {0x0000, true},  {0x0119, true},   // click, quit, ...
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageRearmsIdle(c.message), c.rearms) << c.message;
}

TEST(MessageRulesTest, IdleStateRunsOnceUntilACountingMessage) {
    IdleState idle;
    EXPECT_TRUE(idle.Pending());
    idle.AfterIdle(false);
    EXPECT_FALSE(idle.Pending());
    EXPECT_EQ(idle.count, 1);
    for (unsigned m : {0x0200u, 0x00A0u, 0x000Fu, 0x0118u})
        idle.AfterMessage(m);
    EXPECT_FALSE(idle.Pending());
    EXPECT_EQ(idle.count, 1);
    idle.AfterMessage(0x0100);
    EXPECT_TRUE(idle.Pending());
    EXPECT_EQ(idle.count, 0);
    idle.AfterIdle(true);
    idle.AfterIdle(true);
    EXPECT_TRUE(idle.Pending());
    EXPECT_EQ(idle.count, 2);
}

TEST(MessageRulesTest, ReflectionCoversTheControlNotifications) {
    const unsigned reflectable[] = {0x111, 0x4E, 0x210, 0x2B,  0x2C,  0x2D, 0x39,
                                    0x2E,  0x2F, 0x114, 0x115, 0x132, 0x138};
    for (unsigned m : reflectable) {
        EXPECT_TRUE(IsReflectableMessage(m)) << m;
        EXPECT_TRUE(IsReflectedMessage(m + 0x2000)) << m;
        EXPECT_FALSE(IsReflectedMessage(m)) << m;
    }
    const unsigned others[] = {0x131, 0x139, 0x110, 0x112, 0x0F, 0x200, 0x88C6, 0xA23D};
    for (unsigned m : others) {
        EXPECT_FALSE(IsReflectableMessage(m)) << m;
        EXPECT_FALSE(IsReflectedMessage(m + 0x2000)) << m;
    }
    EXPECT_FALSE(IsReflectedMessage(0x1FFF));
}

TEST(MessageRulesTest, DialogResultRule) {
    const unsigned direct[] = {0x110, 0x39, 0x2E, 0x2F, 0x37, 0x132, 0x135, 0x138};
    for (unsigned m : direct)
        EXPECT_TRUE(DialogReturnsResultDirectly(m)) << m;
    const unsigned viaMsgResult[] = {0x4E, 0x111, 0x112, 0x131, 0x139, 0x2B, 0x88C6};
    for (unsigned m : viaMsgResult)
        EXPECT_FALSE(DialogReturnsResultDirectly(m)) << m;
}

struct FakeMessage {
    std::string log;
};

struct FakeFilter {
    bool PreTranslateMessage(FakeMessage* m) {
        m->log += name;
        return consumes;
    }
    char name;
    bool consumes;
};

TEST(MessageRulesTest, FiltersAreAskedMostRecentFirstUntilOneConsumes) {
    FakeFilter mainDlg{'m', false};
    FakeFilter viewDlg{'v', false};
    std::vector<FakeFilter*> filters = {&mainDlg, nullptr, &viewDlg};

    FakeMessage passed;
    EXPECT_FALSE(OfferToFilters(filters, &passed));
    EXPECT_EQ(passed.log, "vm");

    viewDlg.consumes = true;
    FakeMessage consumed;
    EXPECT_TRUE(OfferToFilters(filters, &consumed));
    EXPECT_EQ(consumed.log, "v");

    FakeMessage none;
    EXPECT_FALSE(OfferToFilters(std::vector<FakeFilter*>{}, &none));
    EXPECT_EQ(none.log, "");
}

}  // namespace
}  // namespace qs
