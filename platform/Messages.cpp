#include "platform/Messages.h"

#include <atomic>
#include <cstdio>

namespace {

class TStderrMessageBox final : public TMessageBox {
 public:
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon, TMsgButtons) override {
    if (!Title.empty()) std::fprintf(stderr, "%s: ", Title.c_str());
    std::fprintf(stderr, "%s\n", Text.c_str());
    return false;
  }
};

TStderrMessageBox GStderrBox;
// Read by every thread that reports something (an export runs on a worker thread).
std::atomic<TMessageBox*> GBox{&GStderrBox};

}  // namespace

void SetMessageBox(TMessageBox* Box) { GBox = Box ? Box : &GStderrBox; }

TMessageBox& MessageBox() { return *GBox.load(); }

void ShowInfo(const std::string& Text) {
  MessageBox().Show(Text, std::string(), TMsgIcon::Information, TMsgButtons::Ok);
}

void ShowError(const std::string& Text) {
  MessageBox().Show(Text, std::string(), TMsgIcon::Error, TMsgButtons::Ok);
}
