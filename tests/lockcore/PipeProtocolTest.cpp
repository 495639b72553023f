#include "lockcore/PipeProtocol.h"

#include <gtest/gtest.h>

#include "tests/lockcore/Bytes.h"

namespace {

TEST(PipeProtocol, NamesCarryTheInstanceId)
{
    EXPECT_EQ("1234", InstanceIdOf(1234));
    EXPECT_EQ("\\\\.\\pipe\\{946F61BA-FA43-4748-8A58-9799653FC27D}-1234", CommandPipeName("1234"));
    EXPECT_EQ("{946F61BA-FA43-4748-8A58-9799653FC27D}-1234", CommandMutexName("1234"));
    EXPECT_EQ("\\\\.\\pipe\\{930E2D8E-3C8B-4afe-AF1E-6A912E7F534B}-1234", EventPipeName("1234"));
    EXPECT_EQ("{930E2D8E-3C8B-4afe-AF1E-6A912E7F534B}-1234", EventMutexName("1234"));
}

// The lock-screen program serves only the process its id names: the id is read back exactly
// as the resident program writes it, and any other text names no process.
TEST(PipeProtocol, TheInstanceIdGivesBackItsProcessId)
{
    for (const uint32_t processId : {1234u, 4u, 4000000000u, 0xFFFFFFFFu})
        EXPECT_EQ(std::optional<uint32_t>(processId), ProcessIdOfInstance(InstanceIdOf(processId))) << processId;
    for (const char* id : {"", "12x", " 12", "+12", "0x10", "4000000000", "-2147483649", "-"})
        EXPECT_EQ(std::nullopt, ProcessIdOfInstance(id)) << id;
}

TEST(PipeProtocol, EveryRequestEncodesByteForByte)
{
    struct Case {
        std::vector<uint8_t> request;
        const char* bytes;
    } cases[] = {
        {EncodeRequest(PIPE_CMD_HELLO), "01 00 00 00"},
        {EncodeRequest(PIPE_CMD_SHOW_LOCK_SCREEN), "02 00 00 00"},
        {EncodeRequest(PIPE_CMD_HIDE_LOCK_SCREEN), "03 00 00 00"},
        {EncodeRequest(PIPE_CMD_RELOAD_PICTURES), "04 00 00 00"},
        {EncodeRequest(PIPE_CMD_SELECT_PICTURE, {2}), "05 00 00 00 02 00 00 00"},
        {EncodeRequest(PIPE_CMD_SHOW_MESSAGE), "06 00 00 00"},
        {EncodeRequest(PIPE_CMD_HIDE_MESSAGE), "07 00 00 00"},
        {EncodeRequest(PIPE_CMD_HIDE_CONTROLS), "08 00 00 00"},
        {EncodeRequest(PIPE_CMD_SHOW_CONTROLS), "09 00 00 00"},
        {EncodeRequest(PIPE_CMD_SHOW_PASSWORD_DIALOG), "0B 00 00 00"},
        {EncodeRequest(PIPE_CMD_PASSWORD_RESULT, {1, 0, 1}), "0C 00 00 00 01 00 00 00 00 00 00 00 01 00 00 00"},
        {EncodeRequest(PIPE_CMD_PASSWORD_DIALOG_STATE, {-1}), "0D 00 00 00 FF FF FF FF"},
        {EncodeRequest(PIPE_EVT_HELLO), "01 00 00 00"},
        {EncodeRequest(PIPE_EVT_KEY_EVENT), "02 00 00 00"},
        {EncodeRequest(PIPE_EVT_MOUSE_EVENT), "03 00 00 00"},
        {EncodeRequest(PIPE_EVT_QUERY_MAY_UNLOCK), "04 00 00 00"},
        {EncodeRequest(PIPE_EVT_WATCH_KEY_STATE), "05 00 00 00"},
        {EncodeRequest(PIPE_EVT_UNLOCK_REQUEST, {2, 300, 1}), "06 00 00 00 02 00 00 00 2C 01 00 00 01 00 00 00"},
        {EncodeRequest(PIPE_EVT_CHECK_PASSWORD, std::string("pw")), "07 00 00 00 02 00 00 00 70 77"},
        {EncodeRequest(PIPE_EVT_CHECK_PASSWORD, std::string()), "07 00 00 00 00 00 00 00"},
        {EncodeRequest(PIPE_EVT_SHUTDOWN), "08 00 00 00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bytes, ToHex(c.request));
}

TEST(PipeProtocol, ParseReply)
{
    struct Case {
        const char* reply;
        bool accepted;
        const char* payload;
    } cases[] = {
        {"", false, ""},
        {"00 00 00", false, ""},
        {"01 00 00 00", false, ""},
        {"02 00 00 00", false, ""},
        {"00 00 00 00", true, ""},
        {"00 00 00 00 07 00 00 00", true, "07 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::vector<uint8_t> payload{0xEE};
        EXPECT_EQ(c.accepted, ParseReply(Hex(c.reply), payload));
        if (c.accepted) {
            EXPECT_EQ(c.payload, ToHex(payload));
        }
    }
}

TEST(PipeProtocol, HelloPayloadMustBeExactlyTheBlock)
{
    EXPECT_TRUE(IsHelloPayload(Hex("01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00")));
    EXPECT_FALSE(IsHelloPayload(Hex("01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00")));
    EXPECT_FALSE(IsHelloPayload(Hex("01 00 00 00 00 00 00 00 00 00 00 00 01 00 00")));
    EXPECT_FALSE(IsHelloPayload(Hex("01 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00")));
}

} // namespace
