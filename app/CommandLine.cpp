#include "app/CommandLine.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <ostream>

#include "app/ExportCommand.h"

namespace {

bool IsHelpWord(const std::string& Word) { return Word == "--help" || Word == "-h" || Word == "help"; }

std::string JoinWords(const std::vector<std::string>& Words) {
  std::string out;
  for (const std::string& word : Words) out += (out.empty() ? "" : " ") + word;
  return out;
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

bool TCommandLine::Handles(const TCommandArgs& Args) const {
  if (Args.empty()) return false;
  if (IsHelpWord(Args[0])) return true;
  return std::any_of(FCommands.begin(), FCommands.end(),
                     [&](const TCommand& c) { return !c.Words.empty() && c.Words[0] == Args[0]; });
}

void TCommandLine::PrintOverview(std::ostream& Out, const std::string& Group) const {
  Out << "Aufruf:\n  quirvel [ALBUM.qvl]          öffnet das Programmfenster\n";
  for (const TCommand& command : FCommands)
    if (Group.empty() || command.Words[0] == Group)
      Out << "  quirvel " << JoinWords(command.Words) << ' ' << command.Arguments << "\n      "
          << command.Summary << '\n';
  Out << "Hilfe zu einem Befehl: quirvel BEFEHL --help\n";
}

int TCommandLine::Run(const TCommandArgs& Args, std::ostream& Out, std::ostream& Err) const {
  try {
    if (Args.empty() || IsHelpWord(Args[0])) {
      PrintOverview(Out, std::string());
      return 0;
    }
    const TCommand* best = nullptr;
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
      throw TCommandError("Fehler: Unbekannter Befehl „" + Args[0] + " " + Args[1] +
                          "“. Eine Übersicht zeigt „quirvel --help“.");
    }
    const TCommandArgs rest(Args.begin() + static_cast<std::ptrdiff_t>(bestLength), Args.end());
    if (WantsHelp(rest)) {
      Out << "Aufruf: quirvel " << JoinWords(best->Words) << ' ' << best->Arguments << "\n\n" << best->Help;
      return 0;
    }
    best->Run(rest, Out);
    Out.flush();
    return 0;
  } catch (const TCommandError& e) {
    Err << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    Err << "Fehler: Nicht genug Arbeitsspeicher.\n";
  } catch (const std::exception& e) {
    Err << "Fehler: " << e.what() << '\n';
  }
  return 1;
}

const TCommandLine& ProgramCommandLine() {
  static const TCommandLine commandLine = [] {
    TCommandLine built;
    AddAlbumCommands(built);
    AddExportCommand(built);
    return built;
  }();
  return commandLine;
}

std::string Quoted(std::string_view Text) { return "„" + std::string(Text) + "“"; }

bool IsOption(const std::string& Arg) { return Arg.size() > 1 && Arg[0] == '-'; }

std::string AbsolutePhotoPath(const std::string& Path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(Path, error);
  if (error) throw TCommandError("Fehler: Der Pfad " + Quoted(Path) + " ist ungültig.");
  if (!std::filesystem::is_regular_file(absolute, error))
    throw TCommandError("Fehler: Foto nicht gefunden: " + Quoted(Path) + ".");
  return absolute.lexically_normal().string();
}
