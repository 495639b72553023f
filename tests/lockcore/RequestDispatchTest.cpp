#include "lockcore/RequestDispatch.h"

#include <gtest/gtest.h>

#include "lockcore/PipeProtocol.h"
#include "tests/lockcore/Bytes.h"
#include "tests/lockcore/RecordingScreen.h"

namespace {

using Dispatch = std::vector<uint8_t> (*)(const uint8_t*, size_t, Corvantis::SLockScreen*);

struct Case {
    const char* request;
    const char* reply;
    const char* call;  // the listener call it makes, "" for none
};

const char kHelloReply[] = "00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00";
const char kOk[] = "00 00 00 00";
const char kUnknown[] = "01 00 00 00";
const char kBad[] = "02 00 00 00";

void RunCases(Dispatch dispatch, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        RecordingScreen screen;
        screen.queryResult = 7;
        const auto request = Hex(c.request);
        EXPECT_EQ(c.reply, ToHex(dispatch(request.data(), request.size(), &screen)));
        const auto calls = screen.Calls();
        if (*c.call) {
            ASSERT_EQ(1u, calls.size());
            EXPECT_EQ(c.call, calls[0]);
        } else {
            EXPECT_TRUE(calls.empty()) << calls[0];
        }
    }
}

TEST(EventDispatch, EveryEventAndItsReply)
{
    RunCases(DispatchEventRequest, {
        {"01 00 00 00", kHelloReply, ""},
        {"02 00 00 00", kOk, "KeyEvent"},
        {"03 00 00 00", kOk, "MouseEvent"},
        {"04 00 00 00", "00 00 00 00 07 00 00 00", "QueryMayUnlock"},
        {"05 00 00 00", kOk, "WatchKeyState"},
        {"06 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00", kOk, "RequestUnlock 1 2 3"},
        {"07 00 00 00 03 00 00 00 61 62 63", kOk, "CheckPassword [abc]"},
        {"07 00 00 00 00 00 00 00", kOk, "CheckPassword []"},
        {"07 00 00 00 04 00 00 00 61 00 62 63", kOk, "CheckPassword [a]"},
        {"08 00 00 00", kOk, "Shutdown"},
    });
}

TEST(EventDispatch, MalformedAndUnknownRequests)
{
    RunCases(DispatchEventRequest, {
        {"", kBad, ""},
        {"02 00 00", kBad, ""},
        {"00 00 00 00", kUnknown, ""},
        {"09 00 00 00", kUnknown, ""},
        {"63 00 00 00", kUnknown, ""},
        {"01 00 00 00 00 00 00 00", kBad, ""},
        {"02 00 00 00 00", kBad, ""},
        {"04 00 00 00 01 00 00 00", kBad, ""},
        {"06 00 00 00 01 00 00 00 02 00 00 00", kBad, ""},
        {"06 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04", kBad, ""},
        {"07 00 00 00", kBad, ""},
        {"07 00 00 00 04 00 00 00 61 62 63", kBad, ""},
        {"07 00 00 00 FF FF FF FF 61 62 63", kBad, ""},
        {"07 00 00 00 01 00 00 00 61 62", kBad, ""},
    });
}

TEST(EventDispatch, WithoutListenerValidRequestsStillSucceed)
{
    const auto query = EncodeRequest(PIPE_EVT_QUERY_MAY_UNLOCK);
    EXPECT_EQ("00 00 00 00 00 00 00 00", ToHex(DispatchEventRequest(query.data(), query.size(), nullptr)));
    const auto password = EncodeRequest(PIPE_EVT_CHECK_PASSWORD, std::string("x"));
    EXPECT_EQ(kOk, ToHex(DispatchEventRequest(password.data(), password.size(), nullptr)));
}

TEST(CommandDispatch, EveryCommandAndItsReply)
{
    RunCases(DispatchCommandRequest, {
        {"01 00 00 00", kHelloReply, ""},
        {"02 00 00 00", kOk, "ShowLockScreen"},
        {"03 00 00 00", kOk, "HideLockScreen"},
        {"04 00 00 00", kOk, "ReloadPictures"},
        {"05 00 00 00 02 00 00 00", kOk, "SelectPicture 2"},
        {"06 00 00 00", kOk, "ShowMessage"},
        {"07 00 00 00", kOk, "HideMessage"},
        {"08 00 00 00", kOk, "HideControls"},
        {"09 00 00 00", kOk, "ShowControls"},
        {"0B 00 00 00", kOk, "ShowPasswordDialog"},
        {"0C 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00", kOk, "SetPasswordResult 1 1 0"},
        {"0D 00 00 00 02 00 00 00", kOk, "SetPasswordDialogState 2"},
    });
}

TEST(CommandDispatch, MalformedAndUnknownRequests)
{
    RunCases(DispatchCommandRequest, {
        {"05 00 00", kBad, ""},
        {"00 00 00 00", kUnknown, ""},
        {"0E 00 00 00", kUnknown, ""},
        {"FF FF FF FF", kUnknown, ""},
        {"01 00 00 00 00 00 00 00", kBad, ""},
        {"02 00 00 00 00", kBad, ""},
        {"05 00 00 00", kBad, ""},
        {"05 00 00 00 02 00 00 00 00", kBad, ""},
        {"0C 00 00 00 01 00 00 00 01 00 00 00", kBad, ""},
        {"0D 00 00 00 02 00", kBad, ""},
        {"0A 00 00 00", kBad, ""},
    });
}

} // namespace
