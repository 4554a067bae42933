// InitCOMM and ExitCOMM on the RS232 modes: the argument rules of every mode, the results, the
// refusals of each set-up step, the port setting applied, closing, and hCommId.
#include <gtest/gtest.h>

#include "kavex_fixture.h"
#include "library_state.h"

namespace kavex_test {
namespace {

using platform::Parity;

class DeviceTest : public KavexLineTest {};

TEST_F(DeviceTest, ArgumentsOutsideWhatTheModeAllowsAreWrongParameters) {
    const struct {
        int32_t port, mode, baud, format;
    } refused[] = {
        {1, 9, 9600, 0},     {1, -1, 9600, 0},    {501, 3, 9600, 0},   {0, 3, 9600, 0},
        {1, 2, 1200, 0},     {1, 2, 4800, 0},     {1, 3, 9600, 5},     {1, 4, 9600, -1},
        {1, 3, 57600, 0},    {1, 3, 0, 0},        {1, 8, 9600, 0},     {1, 8, 19200, 1},
        {1, 0, 19200, 1},    {1, 1, 4800, 0},     {1, 5, 9600, -2},    {501, 0, 9600, 0},
        {0, 6, 0, 0},        {1, 6, 9600, 0},     {1, 6, 0, -1},       {501, 7, 19200, 0},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(testing::Message() << c.port << "," << c.mode << "," << c.baud << ","
                                        << c.format);
        EXPECT_EQ(InitCOMM(c.port, c.mode, c.baud, c.format), -1);
        EXPECT_EQ(errorCode(), 3);
        EXPECT_EQ(errorText(), "Wrong parameters: <>");
        EXPECT_FALSE(line->open);
    }
}

TEST_F(DeviceTest, ModeSevenOpensNothingAndReportsNone) {
    EXPECT_EQ(InitCOMM(1, 7, 19200, 0), -1);
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(errorText(), "None");
    EXPECT_FALSE(line->open);
    EXPECT_EQ(ExitCOMM(), -1);
    EXPECT_EQ(errorCode(), 2);
}

TEST_F(DeviceTest, AllowedRs232ArgumentsOpenWithAResultByPortNumber) {
    const struct {
        int32_t port, mode, baud, format, result;
    } allowed[] = {
        {1, 3, 1200, 0, 1016}, {2, 3, 4800, 1, 760}, {3, 4, 38400, 2, 1000},
        {4, 4, 2400, 3, 744},  {5, 3, 19200, 4, 1},  {500, 3, 9600, 0, 1},
    };
    for (const auto& c : allowed) {
        SCOPED_TRACE(testing::Message() << c.port << "," << c.mode << "," << c.baud);
        EXPECT_EQ(InitCOMM(c.port, c.mode, c.baud, c.format), c.result);
        EXPECT_EQ(errorCode(), 0);
        EXPECT_TRUE(line->open);
        EXPECT_EQ(ExitCOMM(), 0);
        EXPECT_FALSE(line->open);
    }
}

TEST_F(DeviceTest, EachFormatSetsItsCharacterAndTheLineKeepsFlowControlAndModemLines) {
    const struct {
        int32_t format;
        int dataBits;
        Parity parity;
    } formats[] = {{0, 8, Parity::None},
                   {1, 7, Parity::Odd},
                   {2, 7, Parity::Even},
                   {3, 8, Parity::Odd},
                   {4, 8, Parity::Even}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        ASSERT_GT(InitCOMM(1, 3, 4800, f.format), 0);
        EXPECT_EQ(line->settings.baud, 4800);
        EXPECT_EQ(line->settings.dataBits, f.dataBits);
        EXPECT_EQ(line->settings.parity, f.parity);
        EXPECT_EQ(line->settings.stopBits, 1);
        EXPECT_TRUE(line->settings.xonXoff);
        EXPECT_TRUE(line->dtr);
        EXPECT_TRUE(line->rts);
        EXPECT_EQ(line->receiveBufferSize, 8192u);
        EXPECT_EQ(line->transmitBufferSize, 256u);
        EXPECT_EQ(line->sentText(), "") << "a direct line is opened silently";
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(DeviceTest, ARefusedSetUpStepClosesThePortWithItsError) {
    const struct {
        bool platform::MemoryLine::*refusal;
        int32_t error;
        const char* text;
    } steps[] = {
        {&platform::MemoryLine::refuseOpen, 22, "Unable to open RS232 com port: <>"},
        {&platform::MemoryLine::refuseBufferSizes, 23, "Unable to setup RS232 com port: <>"},
        {&platform::MemoryLine::refuseReadSettings, 24, "Unable to get com state: <>"},
        {&platform::MemoryLine::refuseApply, 25, "Unable to set com state: <>"},
        {&platform::MemoryLine::refuseTimeouts, 26, "Unable to set com timeouts: <>"},
        {&platform::MemoryLine::refusePurge, 27, "Unable to flush transm. queue: <>"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.error);
        (*line).*step.refusal = true;
        EXPECT_EQ(InitCOMM(1, 4, 9600, 0), -1);
        EXPECT_EQ(errorCode(), step.error);
        EXPECT_EQ(errorText(), step.text);
        EXPECT_FALSE(line->open);
        (*line).*step.refusal = false;
        EXPECT_EQ(InitCOMM(1, 4, 9600, 0), 1016) << "nothing stayed open: " << errorText();
        ASSERT_EQ(ExitCOMM(), 0);
    }
}

TEST_F(DeviceTest, HCommIdIsThePortsHandleAndInvalidWhenThePortDoesNotOpen) {
    line->handle = 42;
    ASSERT_GT(InitCOMM(1, 3, 9600, 0), 0);
    EXPECT_EQ(hCommId, 42);
    ASSERT_EQ(ExitCOMM(), 0);
    line->refuseOpen = true;
    EXPECT_EQ(InitCOMM(1, 3, 9600, 0), -1);
    EXPECT_EQ(hCommId, -1);
}

TEST_F(DeviceTest, ASecondInitCommIsRefusedAndStillRestoresTheDefaultPassword) {
    open(3);
    ASSERT_EQ(SetPassword("12345"), 0);
    EXPECT_EQ(InitCOMM(1, 3, 9600, 0), -1);
    EXPECT_EQ(errorCode(), 1);
    EXPECT_EQ(errorText(), "Device already initialized: <>");
    EXPECT_TRUE(line->open) << "the open device is kept";
    EXPECT_EQ(kavex::state().terminalPassword, "70346");
}

TEST_F(DeviceTest, ExitCommWithoutADeviceIsRefused) {
    EXPECT_EQ(ExitCOMM(), -1);
    EXPECT_EQ(errorCode(), 2);
    EXPECT_EQ(errorText(), "Device not initialized: <>");
}

TEST_F(DeviceTest, APortThatDoesNotCloseLeavesTheDeviceOpenForAnotherTry) {
    open(3);
    line->refuseClose = true;
    EXPECT_EQ(ExitCOMM(), -1);
    EXPECT_EQ(errorCode(), 31);
    EXPECT_EQ(errorText(), "Unable to close RS232 port: <>");
    EXPECT_EQ(InitCOMM(1, 3, 9600, 0), -1);
    EXPECT_EQ(errorCode(), 1) << "the device still counts as open";
    line->refuseClose = false;
    EXPECT_EQ(ExitCOMM(), 0);
    EXPECT_FALSE(line->open);
    EXPECT_EQ(ExitCOMM(), -1);
    EXPECT_EQ(errorCode(), 2);
}

TEST_F(DeviceTest, ClosingADirectLineWritesNothingAndDeselectsTheTerminal) {
    open(3);
    ASSERT_EQ(ChgTerminal(0), 0);
    ASSERT_EQ(ExitCOMM(), 0);
    EXPECT_EQ(sentSinceMark(), "");
    open(3);
    EXPECT_EQ(SendCommand("X", reply), -1);
    EXPECT_EQ(errorCode(), 4);
}

}  // namespace
}  // namespace kavex_test
