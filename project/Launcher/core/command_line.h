#pragma once
// The launcher's command line: the mode word (argument 1), its values, and the
// overrides that a normal start takes from "set_language" and "set_platform".
// Words are compared exactly; the number of arguments must match the mode's
// form exactly, and any other command line is a normal start.
//
// Every value is bounded: an override holds at most 31 UTF-16 units (longer
// ones, or ones with control characters, are ignored rather than cut), and a
// mode value longer than kMaxModeArgumentBytes makes the mode refused.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Values a normal start takes from the command line; written before any
// other thread exists, read afterwards.
struct CommandLineOverrides {
  std::optional<std::u16string> language;  // read by the store's Init
  std::optional<std::u16string> platform;  // read by the game launch
  std::optional<std::u16string> font;      // read by the font installer

  bool operator==(const CommandLineOverrides&) const = default;
};

struct LaunchCommand {
  enum class Mode {
    kNormal,
    kReplace,                // source target restart
    kMakeVersion,            // version
    kMakeDependenceVersion,  // version
    kRefused,                // a mode word whose values break the bounds
  };

  Mode mode = Mode::kNormal;
  // The mode's values (argument 2 on), for the three modes that end early.
  std::vector<std::string> values;
  CommandLineOverrides overrides;
};

// Longest override, in UTF-16 units (the value must fit 32 units with a
// terminating zero where it is handed on).
inline constexpr size_t kMaxOverrideUnits = 31;
// Longest value of a mode that ends early.
inline constexpr size_t kMaxModeArgumentBytes = 4096;

// |arguments| as main receives them: argument 0 is the program.
LaunchCommand ParseCommandLine(const std::vector<std::string>& arguments);

// The process's overrides: set once by the entry, before other threads start.
const CommandLineOverrides& GetCommandLineOverrides();
void SetCommandLineOverrides(const CommandLineOverrides& overrides);
