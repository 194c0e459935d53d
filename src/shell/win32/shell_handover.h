#pragma once
// The shell hand-over through ShellExecute.

#include "shell/web_links.h"

namespace tindrel::win {

class ShellExecuteHandover : public ShellHandover {
 public:
  void Open(const std::string& address) override;
};

}  // namespace tindrel::win
