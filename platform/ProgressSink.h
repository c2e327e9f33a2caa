#pragma once
// Progress of a long operation (a picture decoding, an export), reported as a percentage 0..100.
// The main window implements it with its status bar; the command line with a bar or a line per step.

class TProgressSink {
 public:
  virtual ~TProgressSink() = default;
  virtual void Progress(int Percent) = 0;
};
