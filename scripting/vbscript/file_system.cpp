// Scripting.FileSystemObject: the subset batch scripts use, on native paths. Errors are
// VBScript's: 53 file not found, 58 file already exists, 76 path not found, 70 permission
// denied. Text written by a script goes to a staged file that replaces the destination only at
// Close, so a failed run never leaves a half-written file under the name.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>

#include "builtin_objects.h"
#include "core/staged_file.h"
#include "date_time.h"
#include "text.h"

namespace lumetrix::vbs {

namespace {

namespace fs = std::filesystem;

void NeedArgs(int nargs, int lo, int hi) {
  if (nargs < lo || nargs > hi) ThrowError(err::WrongArgCount);
}
bool Given(Variant* args, int nargs, int i) { return i < nargs && args[i].deref().tag() != Variant::tError; }
fs::path PathArg(Variant* args, int i) { return fs::path(ToString(args[i].deref())); }
Variant Text(const fs::path& p) { return Variant(p.string()); }

[[noreturn]] void Fail(const std::error_code& ec, int32_t otherwise) {
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) ThrowError(err::PermissionDenied);
  if (ec == std::errc::file_exists) ThrowError(err::FileExists);
  ThrowError(otherwise);
}

// Local time of a file's last change as a VBScript date.
Variant ModifiedDate(const fs::path& p) {
  std::error_code ec;
  auto t = fs::last_write_time(p, ec);
  if (ec) Fail(ec, err::FileNotFound);
  auto sys = std::chrono::file_clock::to_sys(t);
  std::time_t tt = std::chrono::system_clock::to_time_t(sys);
  std::tm lt{};
  localtime_r(&tt, &lt);
  return Variant::Date(DaySerial(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
                       (lt.tm_hour * 3600 + lt.tm_min * 60 + lt.tm_sec) / 86400.0);
}

Variant NewFileObject(const fs::path& p);
Variant NewFolderObject(const fs::path& p);

// Files and SubFolders of a folder: Count, Item(name), For Each.
class EntryList final : public Object {
 public:
  EntryList(fs::path folder, bool folders) : folder_(std::move(folder)), folders_(folders) {}
  std::string typeName() const override { return folders_ ? "Folders" : "Files"; }
  int findMember(std::string_view n) override { return FindMemberIn(n, {"count", "item"}); }
  bool enumerate(std::vector<Variant>& out) override {
    for (const fs::path& p : entries()) out.push_back(folders_ ? NewFolderObject(p) : NewFileObject(p));
    return true;
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    if (member == kDefaultMember) member = 1;
    if (member == 0) {
      NeedArgs(nargs, 0, 0);
      result = Variant(static_cast<int32_t>(entries().size()));
      return;
    }
    NeedArgs(nargs, 1, 1);
    fs::path p = folder_ / PathArg(args, 0);
    std::error_code ec;
    if (folders_ ? !fs::is_directory(p, ec) : !fs::is_regular_file(p, ec)) ThrowError(folders_ ? err::PathNotFound : err::FileNotFound);
    result = folders_ ? NewFolderObject(p) : NewFileObject(p);
  }

 private:
  std::vector<fs::path> entries() const {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code e2;
      if (folders_ ? it->is_directory(e2) : it->is_regular_file(e2)) out.push_back(it->path());
    }
    if (ec) Fail(ec, err::PathNotFound);
    std::sort(out.begin(), out.end());
    return out;
  }
  fs::path folder_;
  bool folders_;
};

// File and Folder: Name, Path, Size, DateLastModified (Folder also Files and SubFolders).
class Entry final : public Object {
 public:
  Entry(fs::path p, bool folder) : p_(std::move(p)), folder_(folder) {}
  std::string typeName() const override { return folder_ ? "Folder" : "File"; }
  int findMember(std::string_view n) override {
    return FindMemberIn(n, {"path", "name", "size", "datelastmodified", "files", "subfolders", "parentfolder"});
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    if (member == kDefaultMember) member = 0;
    if ((member == 4 || member == 5) && nargs == 1) {  // folder.Files("name"): the list's item
      Variant list;
      invoke(member, kind, nullptr, 0, list);
      list.obj()->invoke(kDefaultMember, kind, args, 1, result);
      return;
    }
    NeedArgs(nargs, 0, 0);
    std::error_code ec;
    switch (member) {
      case 0: result = Text(p_); return;
      case 1: result = Text(p_.filename()); return;
      case 2: {
        double size = 0;
        if (!folder_) {
          size = static_cast<double>(fs::file_size(p_, ec));
          if (ec) Fail(ec, err::FileNotFound);
        } else {
          for (fs::recursive_directory_iterator it(p_, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code e2;
            if (it->is_regular_file(e2)) size += static_cast<double>(it->file_size(e2));
          }
          if (ec) Fail(ec, err::PathNotFound);
        }
        result = size <= 2147483647.0 ? Variant(static_cast<int32_t>(size)) : Variant(size);
        return;
      }
      case 3: result = ModifiedDate(p_); return;
      case 4: case 5:
        if (!folder_) ThrowError(err::NoSuchMember);
        result = Variant(static_cast<Object*>(new EntryList(p_, member == 5)));
        return;
      case 6: result = NewFolderObject(p_.parent_path()); return;
      default: ThrowError(err::NoSuchMember);
    }
  }

 private:
  fs::path p_;
  bool folder_;
};

Variant NewFileObject(const fs::path& p) { return Variant(static_cast<Object*>(new Entry(p, false))); }
Variant NewFolderObject(const fs::path& p) { return Variant(static_cast<Object*>(new Entry(p, true))); }

// A text file open for reading (whole text held) or writing (staged until Close).
class TextStream final : public Object {
 public:
  TextStream(std::string text) : text_(std::move(text)) {}
  explicit TextStream(std::unique_ptr<StagedFile> out) : out_(std::move(out)) {}
  ~TextStream() override { close(); }
  std::string typeName() const override { return "TextStream"; }
  int findMember(std::string_view n) override {
    return FindMemberIn(n, {"readline", "readall", "write", "writeline", "atendofstream", "close", "skipline"});
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    bool reading = member == 0 || member == 1 || member == 4 || member == 6;
    bool writing = member == 2 || member == 3;
    if (closed_ && member != 5) ThrowError(err::BadFileMode);
    if ((reading && out_) || (writing && !out_)) ThrowError(err::BadFileMode);
    switch (member) {
      case 0: case 6: {
        NeedArgs(nargs, 0, 0);
        if (pos_ >= text_.size()) ThrowError(err::PastEndOfFile);
        size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string::npos) end = text_.size();
        if (member == 0) result = Variant(std::string_view(text_).substr(pos_, end - pos_));
        pos_ = end;
        if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        return;
      }
      case 1:
        NeedArgs(nargs, 0, 0);
        if (pos_ >= text_.size()) ThrowError(err::PastEndOfFile);
        result = Variant(std::string_view(text_).substr(pos_));
        pos_ = text_.size();
        return;
      case 2: case 3: {
        NeedArgs(nargs, member == 2 ? 1 : 0, 1);
        std::string s = nargs ? ToString(args[0].deref()) : std::string();
        if (member == 3) s += "\r\n";
        if (!out_->Write(s.data(), s.size())) ThrowError(err::PermissionDenied);
        return;
      }
      case 4: NeedArgs(nargs, 0, 0); result = Variant(pos_ >= text_.size()); return;
      case 5: NeedArgs(nargs, 0, 0); if (!close()) ThrowError(err::PermissionDenied); return;
      default: ThrowError(err::NoSuchMember);
    }
  }

 private:
  // Written text replaces the destination here (also when the script forgets Close).
  bool close() {
    if (closed_) return true;
    closed_ = true;
    return !out_ || out_->Commit();
  }
  std::string text_;
  size_t pos_ = 0;
  std::unique_ptr<StagedFile> out_;
  bool closed_ = false;
};

enum Member {
  kFileExists, kFolderExists, kCreateFolder, kGetFolder, kGetFile, kDeleteFile, kCopyFile, kMoveFile, kBuildPath,
  kGetBaseName, kGetExtensionName, kGetParentFolderName, kGetFileName, kGetAbsolutePathName, kCreateTextFile,
  kOpenTextFile, kDeleteFolder
};

constexpr int kForReading = 1, kForWriting = 2, kForAppending = 8;

Variant OpenForWriting(const fs::path& p, bool append) {
  std::error_code ec;
  if (!p.parent_path().empty() && !fs::is_directory(p.parent_path(), ec)) ThrowError(err::PathNotFound);
  if (fs::is_directory(p, ec)) ThrowError(err::PermissionDenied);
  auto out = std::make_unique<StagedFile>(p.string());
  if (!out->Ok()) ThrowError(err::PermissionDenied);
  if (append && fs::exists(p, ec) && !out->CopyFrom(p.string())) ThrowError(err::PermissionDenied);
  return Variant(static_cast<Object*>(new TextStream(std::move(out))));
}

class FileSystem final : public Object {
 public:
  std::string typeName() const override { return "FileSystemObject"; }
  int findMember(std::string_view n) override {
    return FindMemberIn(n, {"fileexists", "folderexists", "createfolder", "getfolder", "getfile", "deletefile",
                            "copyfile", "movefile", "buildpath", "getbasename", "getextensionname",
                            "getparentfoldername", "getfilename", "getabsolutepathname", "createtextfile",
                            "opentextfile", "deletefolder"});
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set || member == kDefaultMember) ThrowError(err::NoSuchMember);
    std::error_code ec;
    switch (member) {
      case kFileExists: case kFolderExists: {
        NeedArgs(nargs, 1, 1);
        fs::path p = PathArg(args, 0);
        result = Variant(member == kFileExists ? fs::is_regular_file(p, ec) : fs::is_directory(p, ec));
        return;
      }
      case kCreateFolder: {
        NeedArgs(nargs, 1, 1);
        fs::path p = PathArg(args, 0);
        if (fs::exists(p, ec)) ThrowError(err::FileExists);
        if (!p.parent_path().empty() && !fs::is_directory(p.parent_path(), ec)) ThrowError(err::PathNotFound);
        if (!fs::create_directory(p, ec)) Fail(ec, err::PathNotFound);
        result = NewFolderObject(p);
        return;
      }
      case kGetFolder: case kGetFile: {
        NeedArgs(nargs, 1, 1);
        fs::path p = PathArg(args, 0);
        if (member == kGetFolder ? !fs::is_directory(p, ec) : !fs::is_regular_file(p, ec))
          ThrowError(member == kGetFolder ? err::PathNotFound : err::FileNotFound);
        result = member == kGetFolder ? NewFolderObject(p) : NewFileObject(p);
        return;
      }
      case kDeleteFile: case kDeleteFolder: {
        NeedArgs(nargs, 1, 2);
        fs::path p = PathArg(args, 0);
        bool folder = member == kDeleteFolder;
        if (folder ? !fs::is_directory(p, ec) : !fs::is_regular_file(p, ec))
          ThrowError(folder ? err::PathNotFound : err::FileNotFound);
        if (folder ? fs::remove_all(p, ec) == static_cast<std::uintmax_t>(-1) || ec : !fs::remove(p, ec))
          Fail(ec, err::PermissionDenied);
        return;
      }
      case kCopyFile: case kMoveFile: {
        NeedArgs(nargs, 2, member == kCopyFile ? 3 : 2);
        fs::path from = PathArg(args, 0), to = PathArg(args, 1);
        bool overwrite = member == kCopyFile && (!Given(args, nargs, 2) || ToBool(args[2].deref()));
        if (!fs::is_regular_file(from, ec)) ThrowError(err::FileNotFound);
        if (fs::is_directory(to, ec)) to /= from.filename();
        if (fs::exists(to, ec) && (!overwrite || fs::equivalent(from, to, ec))) ThrowError(err::FileExists);
        if (!to.parent_path().empty() && !fs::is_directory(to.parent_path(), ec)) ThrowError(err::PathNotFound);
        if (member == kCopyFile) {
          std::ifstream in(from, std::ios::binary);
          std::stringstream bytes;
          bytes << in.rdbuf();
          if (!in) ThrowError(err::PermissionDenied);
          std::string data = bytes.str();
          std::string problem = WriteFileStaged(to.string(), {reinterpret_cast<const uint8_t*>(data.data()), data.size()});
          if (!problem.empty()) ThrowError(err::PermissionDenied);
        } else {
          fs::rename(from, to, ec);
          if (ec) Fail(ec, err::PermissionDenied);
        }
        return;
      }
      case kBuildPath: {
        NeedArgs(nargs, 2, 2);
        std::string a = ToString(args[0].deref()), b = ToString(args[1].deref());
        bool sepA = !a.empty() && (a.back() == '/' || a.back() == '\\'), sepB = !b.empty() && (b[0] == '/' || b[0] == '\\');
        if (a.empty() || b.empty() || sepA || sepB) result = Variant(a + b);
        else result = Variant(a + "/" + b);
        return;
      }
      case kGetBaseName: case kGetExtensionName: case kGetFileName: case kGetParentFolderName: {
        NeedArgs(nargs, 1, 1);
        std::string s = ToString(args[0].deref());
        while (s.size() > 1 && (s.back() == '/' || s.back() == '\\')) s.pop_back();
        fs::path p(s);
        if (member == kGetBaseName) result = Text(p.stem());
        else if (member == kGetExtensionName) result = Variant(p.has_extension() ? p.extension().string().substr(1) : std::string());
        else if (member == kGetFileName) result = Text(p.filename());
        else result = Text(p.has_relative_path() ? p.parent_path() : fs::path());
        return;
      }
      case kGetAbsolutePathName: {
        NeedArgs(nargs, 1, 1);
        fs::path p = fs::absolute(PathArg(args, 0), ec).lexically_normal();
        std::string s = p.string();
        while (s.size() > 1 && s.back() == '/') s.pop_back();
        result = Variant(s);
        return;
      }
      case kCreateTextFile: {
        NeedArgs(nargs, 1, 3);
        fs::path p = PathArg(args, 0);
        bool overwrite = !Given(args, nargs, 1) || ToBool(args[1].deref());
        if (!overwrite && fs::exists(p, ec)) ThrowError(err::FileExists);
        result = OpenForWriting(p, false);
        return;
      }
      case kOpenTextFile: {
        NeedArgs(nargs, 1, 4);
        fs::path p = PathArg(args, 0);
        int32_t mode = Given(args, nargs, 1) ? ToLong(args[1].deref()) : kForReading;
        bool create = Given(args, nargs, 2) && ToBool(args[2].deref());
        if (mode != kForReading && mode != kForWriting && mode != kForAppending) ThrowError(err::InvalidCall);
        bool exists = fs::is_regular_file(p, ec);
        if (!exists && !create) ThrowError(err::FileNotFound);
        if (mode == kForReading) {
          std::string text;
          if (exists) {
            std::ifstream in(p, std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            if (!in) ThrowError(err::PermissionDenied);
            text = bytes.str();
          }
          result = Variant(static_cast<Object*>(new TextStream(std::move(text))));
          return;
        }
        result = OpenForWriting(p, mode == kForAppending);
        return;
      }
      default: ThrowError(err::NoSuchMember);
    }
  }
};

}  // namespace

Variant NewFileSystemObject() { return Variant(static_cast<Object*>(new FileSystem)); }

}  // namespace lumetrix::vbs
