#pragma once
// Message boxes, as the core asks for them. The window implements TMessageBox with Qt; the command
// line writes to standard error; tests record what would have been shown and script the answers.
//
// The core never opens a box itself: it calls the process-wide box set with SetMessageBox. Until one
// is set, messages go to standard error and every question is answered with Cancel.
//
// Work that runs off the user-interface thread (an export) calls the box from its own thread, so a
// box installed while such work runs must accept calls from any thread; the window's box hands the
// question to the user-interface thread and waits for the answer. SetMessageBox and MessageBox may be
// called from any thread.

#include <string>

enum class TMsgIcon { Information, Error, Question, Warning };
enum class TMsgButtons { Ok, OkCancel };

class TMessageBox {
 public:
  virtual ~TMessageBox() = default;
  // Shows Text (UTF-8) under Title (empty: the system's default title). Returns true for OK.
  virtual bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon,
                    TMsgButtons Buttons) = 0;
};

// The box that ShowInfo and the other core messages go to; nullptr restores the standard-error box.
// The caller keeps ownership and must reset it before the box dies.
void SetMessageBox(TMessageBox* Box);
TMessageBox& MessageBox();

// An information message with only an OK button and the system's default title.
void ShowInfo(const std::string& Text);
// An error message with only an OK button and the system's default title.
void ShowError(const std::string& Text);
