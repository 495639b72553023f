#pragma once
// The lock-screen protocol between the resident program and the lock-screen program:
// pipe and presence-mutex names, codes, statuses, the hello block, request encoding and
// reply parsing. A request is an int32 code and its arguments; a reply an int32 status
// and, with status 0, the code's payload; each is written with a single pipe write.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr int kPipeBufferSize = 1024;

enum PipeStatus : int32_t {
    PIPE_STATUS_OK = 0,
    PIPE_STATUS_UNKNOWN_COMMAND = 1,
    PIPE_STATUS_BAD_REQUEST = 2,
};

// Command pipe: served by the lock-screen program.
enum PipeCommand : int32_t {
    PIPE_CMD_HELLO = 1,
    PIPE_CMD_SHOW_LOCK_SCREEN = 2,
    PIPE_CMD_HIDE_LOCK_SCREEN = 3,
    PIPE_CMD_RELOAD_PICTURES = 4,
    PIPE_CMD_SELECT_PICTURE = 5,         // int32 picture
    PIPE_CMD_SHOW_MESSAGE = 6,
    PIPE_CMD_HIDE_MESSAGE = 7,
    PIPE_CMD_HIDE_CONTROLS = 8,
    PIPE_CMD_SHOW_CONTROLS = 9,
    PIPE_CMD_SETTINGS = 10,              // the settings payload
    PIPE_CMD_SHOW_PASSWORD_DIALOG = 11,
    PIPE_CMD_PASSWORD_RESULT = 12,       // int32 ok, may unlock, raise alarm
    PIPE_CMD_PASSWORD_DIALOG_STATE = 13, // int32 state
};

// Event pipe: served by the resident program.
enum PipeEvent : int32_t {
    PIPE_EVT_HELLO = 1,
    PIPE_EVT_KEY_EVENT = 2,
    PIPE_EVT_MOUSE_EVENT = 3,
    PIPE_EVT_QUERY_MAY_UNLOCK = 4,       // reply: int32 result
    PIPE_EVT_WATCH_KEY_STATE = 5,
    PIPE_EVT_UNLOCK_REQUEST = 6,         // int32 kind, value, flag
    PIPE_EVT_CHECK_PASSWORD = 7,         // string: the typed text
    PIPE_EVT_SHUTDOWN = 8,
};

using HelloBlock = std::array<uint8_t, 16>;
// The int32 values 1, 0, 0, 1.
extern const HelloBlock PIPE_HELLO_BLOCK;

// The instance id: the resident program's process id in decimal.
std::string InstanceIdOf(uint32_t processId);
// The process id in an instance id as InstanceIdOf writes it; none for any other text.
std::optional<uint32_t> ProcessIdOfInstance(const std::string& id);
std::string EventPipeName(const std::string& id);
std::string EventMutexName(const std::string& id);
std::string CommandPipeName(const std::string& id);
std::string CommandMutexName(const std::string& id);

std::vector<uint8_t> EncodeRequest(int32_t code);
std::vector<uint8_t> EncodeRequest(int32_t code, std::initializer_list<int32_t> arguments);
std::vector<uint8_t> EncodeRequest(int32_t code, const std::string& text);

// A reply with status 0 gives true and its payload; an empty or short reply or any other
// status gives false.
bool ParseReply(const std::vector<uint8_t>& reply, std::vector<uint8_t>& payload);
// True for a payload of exactly the hello block.
bool IsHelloPayload(const std::vector<uint8_t>& payload);
