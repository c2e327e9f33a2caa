#include "app/CommandLine.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "album/AlbumFile.h"
#include "app/CheckCommand.h"
#include "app/ExportCommand.h"
#include "app/PreviewCommand.h"
#include "app/Signals.h"

#ifndef QUIRVEL_VERSION
#error "the build defines QUIRVEL_VERSION from the project's version"
#endif

namespace {

bool IsHelpWord(const std::string& Word) { return Word == "--help" || Word == "-h" || Word == "help"; }
bool IsVersionWord(const std::string& Word) { return Word == "--version" || Word == "-V"; }

const char* const KWindowUsage = "Aufruf: quirvel [ALBUM.qvl] oder quirvel BEFEHL [ARGUMENTE]";

// The first argument before "--" that looks like an option; nullptr when there is none.
const std::string* FirstOption(const TCommandArgs& Args) {
  for (const std::string& arg : Args) {
    if (arg == "--") return nullptr;
    if (IsOption(arg)) return &arg;
  }
  return nullptr;
}

std::string JoinWords(const std::vector<std::string>& Words) {
  std::string out;
  for (const std::string& word : Words) out += (out.empty() ? "" : " ") + word;
  return out;
}

std::string UsageLine(const TCommand& Command) {
  return "Aufruf: quirvel " + JoinWords(Command.Words) + ' ' + Command.Arguments;
}

// How many leading arguments name Command; 0 when they do not.
size_t Matches(const TCommand& Command, const TCommandArgs& Args) {
  if (Args.size() < Command.Words.size()) return 0;
  return std::equal(Command.Words.begin(), Command.Words.end(), Args.begin()) ? Command.Words.size() : 0;
}

}  // namespace

bool WantsHelp(const TCommandArgs& Args) {
  for (const std::string& arg : Args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

void TCommandLine::Add(TCommand Command) { FCommands.push_back(std::move(Command)); }

bool TCommandLine::IsCommandWord(const std::string& Word) const {
  return std::any_of(FCommands.begin(), FCommands.end(),
                     [&](const TCommand& c) { return !c.Words.empty() && c.Words[0] == Word; });
}

bool TCommandLine::Handles(const TCommandArgs& Args) const {
  if (Args.empty()) return false;
  return IsHelpWord(Args[0]) || IsCommandWord(Args[0]) || FirstOption(Args) != nullptr || IsUnknownWord(Args[0]);
}

bool TCommandLine::IsUnknownWord(const std::string& Word) const {
  if (Word == "--" || IsOption(Word) || IsHelpWord(Word) || IsCommandWord(Word)) return false;
  std::error_code error;
  return !std::filesystem::exists(std::filesystem::symlink_status(Word, error));
}

void TCommandLine::PrintOverview(std::ostream& Out, const std::string& Group) const {
  Out << "Aufruf:\n  quirvel [ALBUM.qvl]          öffnet das Programmfenster\n"
         "  quirvel --version            zeigt die Version\n";
  for (const TCommand& command : FCommands)
    if (Group.empty() || command.Words[0] == Group)
      Out << "  quirvel " << JoinWords(command.Words) << ' ' << command.Arguments << "\n      "
          << command.Summary << '\n';
  Out << "Hilfe zu einem Befehl: quirvel BEFEHL --help\n";
}

int TCommandLine::Run(const TCommandArgs& Args, std::ostream& Out, std::ostream& Err) const {
  const TCommand* best = nullptr;
  try {
    if (Args.empty() || IsHelpWord(Args[0])) {
      PrintOverview(Out, std::string());
      return 0;
    }
    if (!IsCommandWord(Args[0])) {
      // The window's arguments with an option among them: only --help and --version are known.
      const std::string* option = FirstOption(Args);
      if (option && IsHelpWord(*option)) {
        PrintOverview(Out, std::string());
        return 0;
      }
      if (option && IsVersionWord(*option)) {
        Out << "quirvel " << ProgramVersion() << '\n';
        return 0;
      }
      if (!option)
        throw TUsageError("Fehler: Unbekannter Befehl " + Quoted(Args[0]) +
                          ", und eine Datei dieses Namens gibt es auch nicht.");
      throw TUsageError("Fehler: Unbekannte Option " + Quoted(*option) + ".");
    }
    size_t bestLength = 0;
    for (const TCommand& command : FCommands) {
      const size_t length = Matches(command, Args);
      if (length > bestLength) best = &command, bestLength = length;
    }
    if (!best) {
      // A group word alone, or with a word no command of the group has.
      if (Args.size() == 1 || IsHelpWord(Args[1])) {
        PrintOverview(Args.size() == 1 ? Err : Out, Args[0]);
        return Args.size() == 1 ? 1 : 0;
      }
      throw TUsageError("Fehler: Unbekannter Befehl " + Quoted(Args[0] + " " + Args[1]) + ".");
    }
    const TCommandArgs rest(Args.begin() + static_cast<std::ptrdiff_t>(bestLength), Args.end());
    if (WantsHelp(rest)) {
      Out << UsageLine(*best) << "\n\n" << best->Help;
      return 0;
    }
    best->Run(rest, Out);
    Out.flush();
    return 0;
  } catch (const TUsageError& e) {
    Err << e.what() << '\n';
    if (best)
      Err << UsageLine(*best) << "\nMehr zeigt " << Quoted("quirvel " + JoinWords(best->Words) + " --help")
          << ".\n";
    else
      Err << KWindowUsage << "\nEine Übersicht zeigt „quirvel --help“.\n";
    return 2;
  } catch (const TCommandError& e) {
    Err << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    Err << "Fehler: Nicht genug Arbeitsspeicher.\n";
  } catch (const std::exception& e) {
    Err << "Fehler: " << e.what() << '\n';
  }
  // A command that a signal stopped reports that; the status tells which signal it was.
  return InterruptSignal() ? InterruptExitStatus() : 1;
}

const TCommandLine& ProgramCommandLine() {
  static const TCommandLine commandLine = [] {
    TCommandLine built;
    AddAlbumCommands(built);
    AddExportCommand(built);
    AddPreviewCommand(built);
    AddCheckCommand(built);
    return built;
  }();
  return commandLine;
}

const char* ProgramVersion() { return QUIRVEL_VERSION; }

std::string WindowAlbum(const TCommandArgs& Args) {
  const size_t first = !Args.empty() && Args[0] == "--" ? 1 : 0;
  return first < Args.size() ? Args[first] : std::string();
}

std::string Quoted(std::string_view Text) { return "„" + std::string(Text) + "“"; }

bool IsOption(const std::string& Arg) { return Arg.size() > 1 && Arg[0] == '-'; }

std::string AbsolutePhotoPath(const std::string& Path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(Path, error);
  if (error) throw TCommandError("Fehler: Der Pfad " + Quoted(Path) + " ist ungültig.");
  if (std::filesystem::is_directory(absolute, error))
    throw TCommandError("Fehler: " + Quoted(Path) + " ist ein Ordner, kein Foto.");
  if (!std::filesystem::is_regular_file(absolute, error))
    throw TCommandError("Fehler: Foto nicht gefunden: " + Quoted(Path) + ".");
  return absolute.lexically_normal().string();
}

void OpenAlbumOrThrow(const std::string& FileName, TAlbumModel& Album, TLayoutSettings& Settings) {
  const TAlbumFileResult loaded = OpenAlbumFile(FileName, Album, Settings);
  if (!loaded.Ok) throw TCommandError(loaded.Message);
  if (!loaded.Warning.empty()) std::cerr << "Warnung: " << loaded.Warning << '\n';
}
