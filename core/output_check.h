#pragma once
// The checks an output file passes before a command starts work, so that no command writes over
// what it reads or over a file its owner has made read-only. The staged writer applies the same
// checks to every file it is asked to write, so they hold also for writes deep inside a command
// (a script's SaveBMP during --run).

#include <string>
#include <vector>

namespace lumetrix {

// Files this program reads for its command, which none of its outputs may replace. Compared by
// device and inode, so a hard or symbolic link or another spelling of the path is the same file.
void ProtectInputs(const std::vector<std::string>& paths);

// Why `output` must not be written ("" when it may): DestinationProblem's reasons, an existing
// file without its owner's write permission (refused also for root, who could write it), or
// the same file as one of `inputs` or of the protected inputs. The sentence names the output and,
// for an input, that input as given.
std::string OutputProblem(const std::string& output, const std::vector<std::string>& inputs = {});

// The reason alone ("it is read-only", "it is the input IN"), for the staged writer.
std::string OverwriteReason(const std::string& output, const std::vector<std::string>& inputs = {});

// Why `folder` cannot take a command's output files ("" when it can): made when missing, then
// it must be a folder this user may write into.
std::string OutputFolderProblem(const std::string& folder);

}  // namespace lumetrix
