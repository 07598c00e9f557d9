#pragma once
// The Language folder under the program directory: the list of language files the user chooses
// from, and loading the chosen file as the process's language.
#include <string>
#include <vector>

#include "settings/language_file.h"

namespace quorvex::settings {

inline constexpr char kLanguageFolder[] = "Language";
inline constexpr char kEnglishFileName[] = "english.lng";

// Fixed texts of the language choice (they must work while no language file does).
inline constexpr char kCantOpenSuffix[] = " - can't open laguage file";
inline constexpr char kBadFileSuffix[] = " - Bad laguage file";
inline constexpr char kFirstStartPrefix[] = "Current selection : ";
inline constexpr char kNoEnglishMessage[] = "Can't found english.lng file\nReinstall the program, Please.";

// workDir/Language/fileName. workDir must already be resolved by the settings.
std::string LanguageFilePath(const std::string& workDir, const std::string& fileName);

struct LanguageChoice {
  std::string fileName;
  bool usable = false;      // the header could be read
  std::string displayName;  // from the header; empty when not usable
  // The list entry: "Name [file.lng]", or the file name with the reason it cannot be used.
  std::string listText;
};

struct LanguageScan {
  // The *.lng files of the folder (extension in any case), ordered by list text ignoring case.
  std::vector<LanguageChoice> files;
  bool englishPresent = false;
  // The selected name named a usable file; selectedDisplayName is its display name.
  bool selectedFound = false;
  std::string selectedDisplayName;
  // The choice after the scan: the selected name when found, else "english.lng" when that file
  // is usable, else empty. Empty means no language can be chosen: show kNoEnglishMessage.
  std::string selectedName;
};

// Reads the header of every language file in workDir/Language. selectedName is compared without
// regard to case. A missing folder gives an empty list.
LanguageScan ScanLanguageFolder(const std::string& workDir, const std::string& selectedName);

// Splits a list entry into the file name (between the first "[" and the first "]" after it) and
// the display part (everything before the "["). False for entries without both brackets.
bool ParseLanguageEntry(const std::string& entry, std::string& fileName, std::string& displayPart);

// Loads workDir/Language/fileName (english.lng when fileName is empty) and installs it as the
// process's language (platform::SetStringSource); on failure the language installed before stays.
// A fileName with a "/" is refused (kCantOpen). Call from the UI thread while no other thread
// looks texts up: a replaced language is destroyed.
LanguageResult LoadLanguage(const std::string& workDir, const std::string& fileName);
// The language installed by LoadLanguage, or null.
const LanguageFile* InstalledLanguage();

}  // namespace quorvex::settings
