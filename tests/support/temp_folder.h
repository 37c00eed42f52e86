// A fresh, empty program folder for one test, removed with everything in it
// when the object goes.
#pragma once

#include <string>

namespace testsupport {

class TempProgramFolder {
 public:
  TempProgramFolder();
  ~TempProgramFolder();
  TempProgramFolder(const TempProgramFolder&) = delete;
  TempProgramFolder& operator=(const TempProgramFolder&) = delete;

  // The folder, without a trailing separator ("C:\...\Tabrye-..." on Windows).
  const std::string& Path() const { return path_; }
  // Path() + separator + name.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace testsupport
