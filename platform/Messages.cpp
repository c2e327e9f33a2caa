#include "platform/Messages.h"

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
TMessageBox* GBox = &GStderrBox;

}  // namespace

void SetMessageBox(TMessageBox* Box) { GBox = Box ? Box : &GStderrBox; }

TMessageBox& MessageBox() { return *GBox; }

void ShowInfo(const std::string& Text) {
  GBox->Show(Text, std::string(), TMsgIcon::Information, TMsgButtons::Ok);
}

void ShowError(const std::string& Text) { GBox->Show(Text, std::string(), TMsgIcon::Error, TMsgButtons::Ok); }
