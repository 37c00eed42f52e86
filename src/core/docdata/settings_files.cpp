#include "core/docdata/settings_files.h"

#include <memory>

#include "fw/file.h"

namespace app {
namespace {

using docsvc::FileRead;

FileRead Load(const CString& path, SettingsDoc& d, SettingsRest& rest,
              void (*read)(const std::string&, SettingsDoc&, SettingsRest*)) {
  rest = SettingsRest();
  std::string bytes;
  const FileRead r = docsvc::ReadWholeFile(path, &bytes);
  if (r == FileRead::Loaded) read(bytes, d, &rest);
  return r;
}

// A document at the defaults, for the default texts (it is large: on the heap).
std::unique_ptr<SettingsDoc> Defaults() { return std::make_unique<SettingsDoc>(); }

}  // namespace

FileRead LoadInfFile(const CString& path, SettingsDoc& d, SettingsRest& rest) {
  return Load(path, d, rest, ReadInfText);
}

FileRead LoadSysFile(const CString& path, SettingsDoc& d, SettingsRest& rest) {
  return Load(path, d, rest, ReadSysText);
}

bool SaveInfFile(const CString& path, const SettingsDoc& d, const SettingsRest& rest, CString* error) {
  return docsvc::ReplaceFileContent(path, WriteInfText(d, rest.unknown), error);
}

bool SaveSysFile(const CString& path, const SettingsDoc& d, const SettingsRest& rest, CString* error) {
  return docsvc::ReplaceFileContent(path, WriteSysText(d, rest.unknown), error);
}

std::string DefaultInfText() { return WriteInfText(*Defaults(), {}); }
std::string DefaultSysText() { return WriteSysText(*Defaults(), {}); }

bool WriteMissingSettingsFiles(const CString& programDir, CString* error) {
  CFileStatus st;
  const CString inf = docsvc::ProgramFilePath(programDir, docsvc::kInfFileName);
  if (!CFile::GetStatus(inf, st) && !docsvc::ReplaceFileContent(inf, DefaultInfText(), error)) return false;
  const CString sys = docsvc::ProgramFilePath(programDir, docsvc::kSysFileName);
  if (!CFile::GetStatus(sys, st) && !docsvc::ReplaceFileContent(sys, DefaultSysText(), error)) return false;
  return true;
}

}  // namespace app
