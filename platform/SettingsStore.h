#pragma once
// The per-user settings store: named text values in named sections ("TMainForm", "TPrintForm"), kept
// between runs. The window implements it over an INI file in the user's configuration folder; tests
// use TMemorySettingsStore.
//
// Values are text. Reading a value that is missing or cannot be read leaves the caller's value as it
// is, so one damaged entry disturbs nothing else. Nothing here throws; a store that cannot be written
// says so from Flush, with a German message, and the program carries on.

#include <map>
#include <string>
#include <string_view>
#include <utility>

class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;
  // True and Value set when Section holds Name; false and Value untouched otherwise.
  virtual bool Read(std::string_view Section, std::string_view Name, std::string& Value) = 0;
  virtual void Write(std::string_view Section, std::string_view Name, std::string_view Value) = 0;
  // Makes what was written lasting. False with Message (German) when the store could not be written.
  virtual bool Flush(std::string& Message) = 0;
};

// A store in memory, for tests and for runs without a configuration folder.
class TMemorySettingsStore final : public TSettingsStore {
 public:
  bool Read(std::string_view Section, std::string_view Name, std::string& Value) override {
    const auto found = Values.find({std::string(Section), std::string(Name)});
    if (found == Values.end()) return false;
    Value = found->second;
    return true;
  }
  void Write(std::string_view Section, std::string_view Name, std::string_view Value) override {
    Values[{std::string(Section), std::string(Name)}] = std::string(Value);
  }
  bool Flush(std::string& Message) override {
    if (FlushFailure.empty()) return true;
    Message = FlushFailure;
    return false;
  }

  std::map<std::pair<std::string, std::string>, std::string> Values;
  std::string FlushFailure;  // when set, Flush fails with this message
};
