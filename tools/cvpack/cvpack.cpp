#include "tools/cvpack/cvpack.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "distribution/file_list.h"
#include "distribution/file_source.h"
#include "distribution/payload_reader.h"
#include "distribution/payload_writer.h"
#include "distribution/pe_image.h"
#include "distribution/source_digest.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: cvpack COMMAND ARGS...\n"
    "  filelist FOLDER LIST      write the list of the folder's files (names, sizes, SHA-256)\n"
    "  pack SETUP LIST OUT       write OUT: SETUP carrying every file of LIST, each\n"
    "                            checked against the list; SETUP is the listed\n"
    "                            setup.exe, or that program unsigned\n"
    "  list EXE                  check EXE's payload and print its files\n"
    "  verify EXE                check EXE's payload\n";

const int kExitRefused = 1;
const int kExitUsage = 2;

class FileSink : public ByteSink {
 public:
  explicit FileSink(const fs::path& path) : out_(path, std::ios::binary | std::ios::trunc) {}
  bool Write(const void* data, size_t count) override {
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(count));
    return out_.good();
  }
  bool Close() {
    out_.close();
    return !out_.fail();
  }

 private:
  std::ofstream out_;
};

// Refusals travel as this; Run turns them into a message and exit code 1.
struct Refused {
  std::string reason;
};

void Check(const DistStatus& status, const std::string& what) {
  if (!status.ok()) throw Refused{what + ": " + status.reason};
}

std::unique_ptr<FileSource> OpenSource(const fs::path& path) {
  std::unique_ptr<FileSource> source;
  Check(FileSource::Open(path.string(), source), path.string());
  return source;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Refused{"cannot read " + path.string()};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes through a temporary beside path, so that a failure leaves no half file.
template <typename Fill>
void WriteFile(const fs::path& path, Fill fill) {
  const fs::path temporary = path.string() + ".tmp";
  try {
    FileSink sink(temporary);
    fill(sink);
    if (!sink.Close()) throw Refused{"cannot write " + temporary.string()};
    fs::rename(temporary, path);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

int FileListCommand(const fs::path& folder, const fs::path& listPath) {
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().filename() != listPath.filename())
      paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  FileList files;
  for (const fs::path& path : paths) {
    ListedFile file;
    file.name = path.filename().string();
    std::unique_ptr<FileSource> source = OpenSource(path);
    file.size = source->Size();
    Check(Sha256OfSource(*source, file.sha256), file.name);
    files.push_back(file);
  }
  std::string text;
  Check(FormatFileList(files, text), folder.string());
  WriteFile(listPath, [&text](FileSink& sink) {
    if (!sink.Write(text.data(), text.size())) throw Refused{"cannot write the list"};
  });
  return 0;
}

FileList ReadList(const fs::path& listPath) {
  FileList files;
  Check(ParseFileList(ReadText(listPath), files), listPath.string());
  return files;
}

int PackCommand(const fs::path& setupPath, const fs::path& listPath, const fs::path& outPath) {
  const FileList files = ReadList(listPath);
  const ListedFile* listedSetup = FindListedFile(files, "setup.exe");
  if (!listedSetup) throw Refused{listPath.string() + " does not name setup.exe"};
  std::unique_ptr<FileSource> setup = OpenSource(setupPath);

  // Every listed file, setup.exe too: installed, it is the uninstaller.
  std::vector<std::unique_ptr<FileSource>> sources;
  std::vector<PackFile> packed;
  for (const ListedFile& file : files) {
    sources.push_back(OpenSource(listPath.parent_path() / file.name));
    Check(CheckListedFile(file, *sources.back()), file.name);
    packed.push_back({file.name, sources.back().get()});
    if (&file == listedSetup)
      Check(CheckSameProgram(*setup, *sources.back()),
            setupPath.string() + " beside the listed setup.exe");
  }
  WriteFile(outPath,
            [&](FileSink& sink) { Check(WritePayload(*setup, packed, sink), outPath.string()); });
  // What the installer will see.
  std::unique_ptr<FileSource> written = OpenSource(outPath);
  PayloadReader reader;
  Check(reader.Open(*written), outPath.string());
  Check(reader.VerifyAll(), outPath.string());
  return 0;
}

int ShowCommand(const fs::path& exePath, bool list, std::ostream& out) {
  std::unique_ptr<FileSource> exe = OpenSource(exePath);
  PayloadReader reader;
  Check(reader.Open(*exe), exePath.string());
  Check(reader.VerifyAll(), exePath.string());
  uint64_t size = 0, packed = 0;
  for (const PayloadEntry& e : reader.Entries()) {
    if (list)
      out << Sha256Hex(e.file.sha256) << ' ' << e.file.size << ' ' << e.packedSize << ' '
          << e.file.name << '\n';
    size += e.file.size;
    packed += e.packedSize;
  }
  out << exePath.string() << ": " << reader.Entries().size() << " files, " << size
      << " bytes packed into " << packed << ", sound\n";
  return 0;
}

int Run(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
  const std::string command = a.empty() ? std::string() : a[0];
  if (command == "filelist" && a.size() == 3) return FileListCommand(a[1], a[2]);
  if (command == "pack" && a.size() == 4) return PackCommand(a[1], a[2], a[3]);
  if ((command == "list" || command == "verify") && a.size() == 2)
    return ShowCommand(a[1], command == "list", out);
  err << kUsage;
  return kExitUsage;
}

}  // namespace

int RunCvpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return Run(args, out, err);
  } catch (const Refused& r) {
    err << "cvpack: " << r.reason << "\n";
  } catch (const fs::filesystem_error& e) {
    err << "cvpack: " << e.what() << "\n";
  }
  return kExitRefused;
}
