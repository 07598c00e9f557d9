// quorvex-cli settings: shows and changes the stored settings.
#include <ostream>

#include "cli/command.h"
#include "platform/ini_store.h"
#include "settings/app_context.h"

namespace quorvex::cli {
namespace {

class SettingsCommand : public Command {
 public:
  std::string Name() const override { return "settings"; }
  std::string Summary() const override { return "Show or change the settings"; }
  std::string Help() const override {
    return "Usage: quorvex-cli settings [SECTION.KEY [VALUE]]\n"
           "Without arguments prints every setting as SECTION.KEY=value, the value written as in the\n"
           "settings file (a backslash escapes special bytes, see doc/settings-file.md).\n"
           "With a key prints its value as it is; with a value sets it and saves the settings.\n"
           "Keys are compared without regard to case. Fonts (RData.Data1..Data4) are 120 hex digits;\n"
           "an empty FrameRect.X_TopPos or Y_TopPos centres the window.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parsed(args, {}, {});
    if (!parsed.Ok() || parsed.Positionals().size() > 2) {
      io.err << "quorvex-cli settings: " << (parsed.Ok() ? "too many arguments" : parsed.Error()) << "\n" << Help();
      return kExitUsage;
    }
    settings::WDSettings* store = settings::GetSettings();
    if (!store) {
      io.err << "quorvex-cli settings: the settings are not loaded\n";
      return kExitFailed;
    }
    const auto& words = parsed.Positionals();
    if (words.empty()) {
      for (const auto& [name, value] : store->ListValues())
        io.out << name << '=' << platform::IniStore::EscapeValue(value) << '\n';
      return kExitOk;
    }
    if (words.size() == 1) {
      std::string value;
      if (!store->GetValue(words[0], value)) {
        io.err << "quorvex-cli settings: unknown setting " << words[0] << "\n";
        return kExitFailed;
      }
      io.out << value << '\n';
      return kExitOk;
    }
    std::string error;
    switch (store->SetValue(words[0], words[1], &error)) {
      case settings::WDSettings::SetResult::Ok:
        break;
      case settings::WDSettings::SetResult::UnknownKey:
        io.err << "quorvex-cli settings: unknown setting " << words[0] << "\n";
        return kExitFailed;
      case settings::WDSettings::SetResult::BadValue:
        io.err << "quorvex-cli settings: " << words[0] << ": " << error << "\n";
        return kExitFailed;
    }
    if (!store->Save()) {
      io.err << "quorvex-cli settings: " << store->LastError() << "\n";
      return kExitFailed;
    }
    return kExitOk;
  }
};

QUORVEX_REGISTER_COMMAND(SettingsCommand);

}  // namespace
}  // namespace quorvex::cli
