#include "ui/IniSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString Key(std::string_view Section, std::string_view Name) {
  return QString::fromUtf8(Section.data(), static_cast<qsizetype>(Section.size())) + QLatin1Char('/') +
         QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

}  // namespace

QString TIniSettingsStore::DefaultFileName() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/quirvel/quirvel.ini");
}

TIniSettingsStore::TIniSettingsStore(const QString& FileName) : FSettings(FileName, QSettings::IniFormat) {}

bool TIniSettingsStore::Read(std::string_view Section, std::string_view Name, std::string& Value) {
  const QVariant value = FSettings.value(Key(Section, Name));
  if (!value.isValid()) return false;
  // A value someone wrote by hand with commas and no quotes comes back as a list: it meant the text.
  const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                                : value.toString();
  Value = text.toStdString();
  return true;
}

void TIniSettingsStore::Write(std::string_view Section, std::string_view Name, std::string_view Value) {
  FSettings.setValue(Key(Section, Name),
                     QString::fromUtf8(Value.data(), static_cast<qsizetype>(Value.size())));
}

bool TIniSettingsStore::Flush(std::string& Message) {
  QDir().mkpath(QFileInfo(FSettings.fileName()).absolutePath());
  FSettings.sync();
  if (FSettings.status() == QSettings::NoError) return true;
  Message = "Fehler: Die Einstellungen konnten nicht in „" + FSettings.fileName().toStdString() +
            "“ gespeichert werden.";
  return false;
}
