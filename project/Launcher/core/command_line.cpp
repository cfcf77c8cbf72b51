#include "project/Launcher/core/command_line.h"

#include "base/util/string_util.h"

namespace {

CommandLineOverrides& ProcessOverrides() {
  static CommandLineOverrides overrides;
  return overrides;
}

// The override a value gives: none when it is empty, too long, not valid
// UTF-8, or holds a control character.
std::optional<std::u16string> BoundedOverride(const std::string& value) {
  if (value.empty() || value.size() > kMaxOverrideUnits * 4) return std::nullopt;
  std::u16string text = kbase::UTF8ToUTF16(value);
  if (text.empty() || text.size() > kMaxOverrideUnits) return std::nullopt;
  for (char16_t unit : text) {
    if (unit < 0x20 || unit == 0x7F || unit == 0xFFFD) return std::nullopt;
  }
  return text;
}

bool ValuesWithinBounds(const std::vector<std::string>& values) {
  for (const std::string& value : values) {
    if (value.size() > kMaxModeArgumentBytes || value.find('\0') != std::string::npos) return false;
  }
  return true;
}

LaunchCommand EarlyMode(LaunchCommand::Mode mode, const std::vector<std::string>& arguments) {
  LaunchCommand command;
  command.values.assign(arguments.begin() + 2, arguments.end());
  command.mode = ValuesWithinBounds(command.values) ? mode : LaunchCommand::Mode::kRefused;
  if (command.mode == LaunchCommand::Mode::kRefused) command.values.clear();
  return command;
}

}  // namespace

LaunchCommand ParseCommandLine(const std::vector<std::string>& arguments) {
  LaunchCommand command;
  if (arguments.size() < 3) return command;
  const std::string& word = arguments[1];
  const size_t count = arguments.size();

  if (word == "replace" && count == 5) return EarlyMode(LaunchCommand::Mode::kReplace, arguments);
  if (word == "make_version" && count == 3) {
    return EarlyMode(LaunchCommand::Mode::kMakeVersion, arguments);
  }
  if (word == "make_dependence_version" && count == 3) {
    return EarlyMode(LaunchCommand::Mode::kMakeDependenceVersion, arguments);
  }
  if (word == "set_language" && (count == 3 || count == 4)) {
    command.overrides.language = BoundedOverride(arguments[2]);
    if (count == 4) command.overrides.font = BoundedOverride(arguments[3]);
  } else if (word == "set_platform" && count == 3) {
    command.overrides.platform = BoundedOverride(arguments[2]);
  }
  return command;
}

const CommandLineOverrides& GetCommandLineOverrides() { return ProcessOverrides(); }

void SetCommandLineOverrides(const CommandLineOverrides& overrides) {
  ProcessOverrides() = overrides;
}
