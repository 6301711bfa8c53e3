#include "platform/alerts/Alerts.h"

#include <gtest/gtest.h>

#include <string>

#include "common/commonprocs.h"

namespace {

std::string lgLastTitle, lgLastText, lgLastCancel;
DialogItemIndex lgAnswer = 1;

DialogItemIndex Record(const AlertDescription* alert) {
    lgLastTitle = alert->title;
    lgLastText = alert->explanation;
    lgLastCancel = alert->cancelButton;
    return lgAnswer;
}

class Alerts : public ::testing::Test {
  protected:
    void SetUp() override { SetAlertPresenter(&Record); }
    void TearDown() override { SetAlertPresenter(nullptr); }
};

TEST_F(Alerts, WarningsReturnTheButtonPressed) {
    lgAnswer = kAlertStdAlertCancelButton;
    EXPECT_EQ(StandardWarning("Title", "Text", "Go", "Stop"), kAlertStdAlertCancelButton);
    EXPECT_EQ(lgLastCancel, "Stop");
    Notify("Cannot locate manual in bundle");
    EXPECT_EQ(lgLastTitle, "Internal Notification:");
    EXPECT_EQ(lgLastText, "Cannot locate manual in bundle");
    EXPECT_EQ(lgLastCancel, "");
}

TEST(Assert, ReturnsForAPointer) {
    int x = 0;
    Assert(&x, "never shown");
}

TEST(AssertDeathTest, StopsTheProcessWithTheMessageCutTo255Bytes) {
    EXPECT_EXIT(Assert(nullptr, "Nil theConfig on InitPluginData"), ::testing::ExitedWithCode(70),
                "Assertion Failure\nAssertion failed in: Nil theConfig on InitPluginData");
    const std::string longMessage(300, 'x');
    const std::string cut = "Assertion failed in: " + std::string(255 - 21, 'x') + "\n";
    EXPECT_EXIT(Assert(nullptr, longMessage.c_str()), ::testing::ExitedWithCode(70), cut);
}

}  // namespace
