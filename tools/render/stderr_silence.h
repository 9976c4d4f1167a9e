// Keeps a loaded plug-in's own log lines off the tool's standard error for a while, so that the tool
// reports a refusal in one line of its own.
#pragma once

namespace vanto {

class StderrSilence {
  public:
    StderrSilence();
    ~StderrSilence();
    StderrSilence(const StderrSilence&) = delete;
    StderrSilence& operator=(const StderrSilence&) = delete;

  private:
    int saved = -1;
};

} // namespace vanto
