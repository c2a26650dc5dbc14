// The parts of the screen-cast conversation that need no bus: option choices, request paths,
// answers, and the restore token kept between runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace platform::wayland {

// ScreenCast's cursor_mode bits.
inline constexpr uint32_t kCursorHidden = 1;
inline constexpr uint32_t kCursorEmbedded = 2;
inline constexpr uint32_t kCursorMetadata = 4;
// Its source type bits.
inline constexpr uint32_t kSourceMonitor = 1;
inline constexpr uint32_t kSourceWindow = 2;
// persist_mode: until the user revokes it.
inline constexpr uint32_t kPersistUntilRevoked = 2;

// The pointer drawn into the frames when the portal can; otherwise none (0: leave the option
// out, for portals that offer no mode at all).
uint32_t ChooseCursorMode(uint32_t availableModes);

// The SelectSources options for one source type.
struct SourceSelection {
    uint32_t types = 0;
    uint32_t cursorMode = 0;  // 0: leave the option out
    bool persist = false;     // ask the portal to remember the choice, offering the kept token
};
// A monitor's permission is remembered where the portal can (version 4); a window is chosen
// afresh at every pick, since choosing is what the pick is for.
SourceSelection ChooseSelection(uint32_t sourceType, uint32_t version, uint32_t cursorModes);

// A fresh handle_token, unique within this process.
std::string NewHandleToken();

// The object path of the request a call with `handleToken` creates, for a caller with the bus's
// unique name `uniqueName` (":1.42"): known before the call, so its answer cannot be missed.
std::string RequestPath(const std::string& uniqueName, const std::string& handleToken);

// A Request's response code: 0 success, 1 cancelled by the user, anything else an error.
CaptureProblem ProblemOfResponse(uint32_t code);

struct StreamInfo {
    uint32_t node = 0;
    Point position;
    Size size;
    uint32_t sourceType = 0;
};
// The stream to record: the first that names a PipeWire node.
std::optional<StreamInfo> ChooseStream(const std::vector<StreamInfo>& streams);

// $XDG_STATE_HOME/gifrec/screencast-token, or under ~/.local/state; empty without either.
std::filesystem::path RestoreTokenPath(const char* stateHome, const char* home);
// A token is short printable text; anything else in the file is ignored.
bool IsUsableToken(const std::string& token);
std::optional<std::string> ReadRestoreToken(const std::filesystem::path& path);
// Replaces the file as a whole (a crash leaves the old token or the new one), owner-only.
bool WriteRestoreToken(const std::filesystem::path& path, const std::string& token);

}  // namespace platform::wayland
