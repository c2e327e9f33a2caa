#pragma once
// The program's command line: `quirvel WORD... [ARGUMENTS]`, a small dispatcher of subcommands.
//
// A command is named by one or more words ("album new", "export"); the dispatcher picks the command
// whose words start the arguments, longest first, and hands it the rest. Every command writes its
// results to Out; a failure is thrown as TCommandError with the German message, which the dispatcher
// writes to the error stream before returning 1. Success returns 0.
//
// Exit status: 0 success; 1 failure; 2 a usage error (an unknown option or command, reported with the
// usage line); 128 + the signal's number when SIGINT, SIGTERM or SIGHUP stopped the command (Signals.h).

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"

// A failure the user sees as it is: the message is German and complete ("Fehler: ...").
class TCommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments cannot be understood (an unknown option or command): exit status 2, and the usage line
// follows the message.
class TUsageError : public TCommandError {
 public:
  using TCommandError::TCommandError;
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
  // True when Args (without the program name) are meant for the command line: their first word is a
  // command's first word or "help", or an option comes before "--" ("--help", "--version", or one that
  // is unknown and refused), or the first word is neither of these nor the name of an existing file (a
  // mistyped command, refused with exit status 2). Otherwise they are for the window: [--] [ALBUM.qvl].
  bool Handles(const TCommandArgs& Args) const;
  // Runs the command Args name; returns the exit status.
  int Run(const TCommandArgs& Args, std::ostream& Out, std::ostream& Err) const;

 private:
  void PrintOverview(std::ostream& Out, const std::string& Group) const;
  bool IsCommandWord(const std::string& Word) const;
  bool IsUnknownWord(const std::string& Word) const;
  std::vector<TCommand> FCommands;
};

// Every command of the program.
const TCommandLine& ProgramCommandLine();

// "X.Y.Z", the version the build was made with.
const char* ProgramVersion();

// The album the window opens, from arguments the command line does not handle: the first argument,
// or the one after a leading "--"; empty when there is none. Further arguments are ignored.
std::string WindowAlbum(const TCommandArgs& Args);

// The album commands ("album new", "album show"); AlbumCommands.cpp.
void AddAlbumCommands(TCommandLine& CommandLine);

// True when an option's value is asked for: "--help" or "-h" anywhere before "--".
bool WantsHelp(const TCommandArgs& Args);

// Small helpers shared by the commands.
// Text in German quotation marks: „Text“.
std::string Quoted(std::string_view Text);
// True for an argument that looks like an option ("-x", "--long"), not for "-" alone.
bool IsOption(const std::string& Arg);
// Opens the album file FileName into Album and Settings, throwing TCommandError with the German message
// when it cannot be loaded; a warning about a part that was ignored goes to standard error.
void OpenAlbumOrThrow(const std::string& FileName, TAlbumModel& Album, TLayoutSettings& Settings);
// A photo path from the command line made absolute (and normalised), so that an album works from any
// folder. Throws TCommandError when the path is invalid or names no regular file.
std::string AbsolutePhotoPath(const std::string& Path);
