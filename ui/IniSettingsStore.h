#pragma once
// The per-user settings store of the window: an INI file, one section per window class ("TMainForm",
// "TPrintForm"), values as text, written with QSettings. Writes are kept in memory until Flush.

#include <QSettings>
#include <QString>

#include "platform/SettingsStore.h"

class TIniSettingsStore final : public TSettingsStore {
 public:
  // quirvel.ini in $XDG_CONFIG_HOME/quirvel/, or in ~/.config/quirvel/ when XDG_CONFIG_HOME is not set.
  static QString DefaultFileName();
  explicit TIniSettingsStore(const QString& FileName = DefaultFileName());

  bool Read(std::string_view Section, std::string_view Name, std::string& Value) override;
  void Write(std::string_view Section, std::string_view Name, std::string_view Value) override;
  // Writes the file (creating its folder). False with a German message naming the file when it could
  // not be written.
  bool Flush(std::string& Message) override;

 private:
  QSettings FSettings;
};
