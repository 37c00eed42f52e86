// Growable arrays: CStringArray, CPtrArray, CDWordArray, CUIntArray,
// CByteArray, all one template. Indexes are int, as in the program's code.
// Out-of-range access never touches memory outside the array: GetAt gives a
// default value, SetAt and RemoveAt ignore what is outside, ElementAt and
// operator[] give a scratch element that is not part of the array.
#pragma once

#include <climits>
#include <utility>
#include <vector>

#include "fw/cstring.h"
#include "fw/types.h"

namespace fw {

template <class T>
class Array {
 public:
  int GetSize() const { return static_cast<int>(m_v.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return m_v.empty(); }

  // New size; growBy is accepted for the program's calls and not needed.
  void SetSize(int newSize, int growBy = -1) {
    (void)growBy;
    m_v.resize(newSize < 0 ? 0 : static_cast<std::size_t>(newSize));
  }

  T GetAt(int i) const { return InRange(i) ? m_v[static_cast<std::size_t>(i)] : T(); }
  void SetAt(int i, const T& value) {
    if (InRange(i)) m_v[static_cast<std::size_t>(i)] = value;
  }
  T& ElementAt(int i) {
    if (InRange(i)) return m_v[static_cast<std::size_t>(i)];
    return Scratch();
  }
  const T& ElementAt(int i) const {
    if (InRange(i)) return m_v[static_cast<std::size_t>(i)];
    return Scratch();
  }
  T& operator[](int i) { return ElementAt(i); }
  const T& operator[](int i) const { return ElementAt(i); }

  T* GetData() { return m_v.empty() ? nullptr : m_v.data(); }
  const T* GetData() const { return m_v.empty() ? nullptr : m_v.data(); }

  // Index of the new element.
  int Add(const T& value) {
    m_v.push_back(value);
    return GetSize() - 1;
  }
  int Append(const Array& other) {
    int first = GetSize();
    m_v.insert(m_v.end(), other.m_v.begin(), other.m_v.end());
    return first;
  }
  void Copy(const Array& other) { m_v = other.m_v; }

  // Inserting at or past the end grows the array up to `index` first.
  void InsertAt(int index, const T& value, int count = 1) {
    if (index < 0 || count <= 0) return;
    if (static_cast<std::size_t>(index) > m_v.size()) m_v.resize(static_cast<std::size_t>(index));
    m_v.insert(m_v.begin() + index, static_cast<std::size_t>(count), value);
  }
  void RemoveAt(int index, int count = 1) {
    if (index < 0 || count <= 0 || index >= GetSize()) return;
    if (count > GetSize() - index) count = GetSize() - index;
    m_v.erase(m_v.begin() + index, m_v.begin() + index + count);
  }
  void RemoveAll() { m_v.clear(); }

 private:
  bool InRange(int i) const { return i >= 0 && static_cast<std::size_t>(i) < m_v.size(); }
  static T& Scratch() {
    thread_local T scratch;
    scratch = T();
    return scratch;
  }

  std::vector<T> m_v;
};

}  // namespace fw

using CStringArray = fw::Array<CString>;
using CPtrArray = fw::Array<void*>;
using CDWordArray = fw::Array<DWORD>;
using CUIntArray = fw::Array<UINT>;
using CByteArray = fw::Array<BYTE>;
using CWordArray = fw::Array<WORD>;
