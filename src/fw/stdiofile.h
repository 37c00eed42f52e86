// CStdioFile: a CFile with line reading and writing. Binary unless the open
// flags hold CFile::typeText. In text mode CR LF reads as LF and WriteString
// writes every LF as CR LF; a lone CR and the byte 0x1A are ordinary data in
// both modes (nothing after a 0x1A is ever lost).
#pragma once

#include <string>

#include "fw/file.h"

class CStdioFile : public CFile {
 public:
  CStdioFile() = default;
  CStdioFile(const char* path, UINT openFlags);  // throws CFileException

  BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;
  void Close() override;
  void Abort() override;

  // Next line without its line end (LF; in text mode CR LF). FALSE at the
  // end of the file with nothing left to read. A last line without a line
  // end is returned too.
  BOOL ReadString(CString& line);
  // Up to maxChars-1 bytes of the next line including its LF, then a NUL;
  // nullptr at the end of the file. Over-long lines continue in the next call.
  char* ReadString(char* buffer, UINT maxChars);
  void WriteString(const char* text);

  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override;
  void SetLength(ULONGLONG length) override;

 private:
  bool FillBuffer();      // false at the end of the file
  void DropBuffer();      // moves the file position back to the logical one
  int NextByte();         // -1 at the end; text-mode CR LF already joined

  bool m_text = false;
  std::string m_buf;      // bytes read ahead from the file
  std::size_t m_pos = 0;  // next unread byte of m_buf
};
