#pragma once
// An output file written under a temporary name in the destination's folder and moved over the
// destination only when complete: a failed or cancelled conversion leaves no truncated file
// under the chosen name and keeps an older file of that name intact.

#include <string>

namespace lumetrix::series {

class StagedOutput {
 public:
  // Creates the temporary file; Ok() says whether that worked, Error() why not.
  explicit StagedOutput(std::string destination);
  ~StagedOutput();  // removes the temporary file unless committed
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  const std::string& TemporaryPath() const { return temporary_; }

  // Gives the file the usual permissions and renames it to the destination.
  bool Commit();

 private:
  std::string destination_;
  std::string temporary_;
  std::string error_;
  bool committed_ = false;
};

// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

// Why `destination` cannot take an output file ("" when it can be tried): empty, a folder, or in
// a folder that does not exist.
std::string DestinationProblem(const std::string& destination);

}  // namespace lumetrix::series
