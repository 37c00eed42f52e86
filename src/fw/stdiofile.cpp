#include "fw/stdiofile.h"

#include <cstring>

namespace {
const std::size_t kReadAhead = 64 * 1024;
}

CStdioFile::CStdioFile(const char* path, UINT openFlags) {
  CFileException error;
  if (!Open(path, openFlags, &error)) throw error;
}

BOOL CStdioFile::Open(const char* path, UINT openFlags, CFileException* error) {
  m_buf.clear();
  m_pos = 0;
  m_text = (openFlags & typeText) != 0;
  return CFile::Open(path, openFlags & ~static_cast<UINT>(typeText | typeBinary), error);
}

void CStdioFile::Close() {
  m_buf.clear();
  m_pos = 0;
  CFile::Close();
}

void CStdioFile::Abort() {
  m_buf.clear();
  m_pos = 0;
  CFile::Abort();
}

bool CStdioFile::FillBuffer() {
  if (m_pos < m_buf.size()) return true;
  m_buf.resize(kReadAhead);
  m_pos = 0;
  UINT got = CFile::Read(&m_buf[0], static_cast<UINT>(kReadAhead));
  m_buf.resize(got);
  return got > 0;
}

void CStdioFile::DropBuffer() {
  std::size_t unread = m_buf.size() - m_pos;
  m_buf.clear();
  m_pos = 0;
  if (unread > 0) CFile::Seek(-static_cast<LONGLONG>(unread), current);
}

int CStdioFile::NextByte() {
  if (!FillBuffer()) return -1;
  unsigned char c = static_cast<unsigned char>(m_buf[m_pos++]);
  if (m_text && c == '\r') {
    if (FillBuffer() && m_buf[m_pos] == '\n') {
      ++m_pos;
      return '\n';
    }
  }
  return c;
}

BOOL CStdioFile::ReadString(CString& line) {
  CheckOpen();
  std::string out;
  bool any = false;
  for (;;) {
    if (!FillBuffer()) break;
    any = true;
    // Fast path: copy up to the next CR or LF in one go.
    const char* start = m_buf.data() + m_pos;
    std::size_t avail = m_buf.size() - m_pos;
    std::size_t run = 0;
    while (run < avail && start[run] != '\n' && !(m_text && start[run] == '\r')) ++run;
    out.append(start, run);
    m_pos += run;
    if (run < avail) {
      int c = NextByte();
      if (c == '\n') break;
      out += static_cast<char>(c);  // a lone CR in text mode
    }
  }
  line = CString(std::move(out));
  return any ? TRUE : FALSE;
}

char* CStdioFile::ReadString(char* buffer, UINT maxChars) {
  CheckOpen();
  if (buffer == nullptr || maxChars == 0) return nullptr;
  UINT n = 0;
  bool any = false;
  while (n + 1 < maxChars) {
    int c = NextByte();
    if (c < 0) break;
    any = true;
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = '\0';
  return any ? buffer : nullptr;
}

void CStdioFile::WriteString(const char* text) {
  if (text == nullptr) return;
  std::size_t len = std::strlen(text);
  if (!m_text) {
    Write(text, static_cast<UINT>(len));
    return;
  }
  std::string out;
  out.reserve(len + len / 16);
  for (std::size_t i = 0; i < len; ++i) {
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  Write(out.data(), static_cast<UINT>(out.size()));
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  CheckOpen();
  char* p = static_cast<char*>(buffer);
  UINT done = 0;
  if (m_pos < m_buf.size()) {
    std::size_t take = m_buf.size() - m_pos;
    if (take > count) take = count;
    std::memcpy(p, m_buf.data() + m_pos, take);
    m_pos += take;
    done = static_cast<UINT>(take);
  }
  if (done < count) done += CFile::Read(p + done, count - done);
  return done;
}

void CStdioFile::Write(const void* buffer, UINT count) {
  CheckOpen();
  DropBuffer();
  CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
  CheckOpen();
  DropBuffer();
  return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
  return CFile::GetPosition() - (m_buf.size() - m_pos);
}

void CStdioFile::SetLength(ULONGLONG length) {
  CheckOpen();
  DropBuffer();
  CFile::SetLength(length);
}
