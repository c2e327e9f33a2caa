#pragma once
// The program's command line: `quirvel WORD... [ARGUMENTS]`, a small dispatcher of subcommands.
//
// A command is named by one or more words ("album new", later "export"); the dispatcher picks the
// command whose words start the arguments, longest first, and hands it the rest. Every command writes
// its results to Out; a failure is thrown as TCommandError with the German message, which the
// dispatcher writes to the error stream before returning 1. Success returns 0.

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A failure the user sees as it is: the message is German and complete ("Fehler: ...").
class TCommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TCommandArgs = std::vector<std::string>;

struct TCommand {
  std::vector<std::string> Words;  // {"album", "new"}
  std::string Arguments;           // "[OPTIONEN] ALBUM.qvl [FOTO...]", for the usage line
  std::string Summary;             // one line for the overview
  std::string Help;                // the command's own help text, after its usage line
  std::function<void(const TCommandArgs& Args, std::ostream& Out)> Run;
};

class TCommandLine {
 public:
  void Add(TCommand Command);
  // True when Args (without the program name) are meant for the command line: their first word is
  // a command's first word, or "--help" / "-h" / "help".
  bool Handles(const TCommandArgs& Args) const;
  // Runs the command Args name; returns the exit status.
  int Run(const TCommandArgs& Args, std::ostream& Out, std::ostream& Err) const;

 private:
  void PrintOverview(std::ostream& Out, const std::string& Group) const;
  std::vector<TCommand> FCommands;
};

// Every command of the program.
const TCommandLine& ProgramCommandLine();

// The album commands ("album new", "album show"); AlbumCommands.cpp.
void AddAlbumCommands(TCommandLine& CommandLine);

// True when an option's value is asked for: "--help" or "-h" anywhere before "--".
bool WantsHelp(const TCommandArgs& Args);

// Small helpers shared by the commands.
// Text in German quotation marks: „Text“.
std::string Quoted(std::string_view Text);
// True for an argument that looks like an option ("-x", "--long"), not for "-" alone.
bool IsOption(const std::string& Arg);
// A photo path from the command line made absolute (and normalised), so that an album works from any
// folder. Throws TCommandError when the path is invalid or names no regular file.
std::string AbsolutePhotoPath(const std::string& Path);
