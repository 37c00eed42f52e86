// The blocks the program hands to "ZIP32.DLL" (the published zip library
// interface), shared by the program and the library stand-in. Natural
// layout of the build (64-bit pointers); every size is taken with sizeof.
#pragma once

extern "C" {

typedef int (*Zip32PrintFn)(const char* text, unsigned long length);
typedef char* (*Zip32CommentFn)(char* comment);
typedef int (*Zip32PasswordFn)(char* buffer, int size, const char* prompt, const char* name);
typedef int (*Zip32ServiceFn)(const char* name, unsigned long size);

struct ZIPUSERFUNCTIONS {
  Zip32PrintFn print;
  Zip32CommentFn comment;
  Zip32PasswordFn password;
  Zip32ServiceFn service;
};

struct ZPOPT {
  const char* Date;
  const char* szRootDir;
  const char* szTempDir;
  int fTemp, fSuffix, fEncrypt, fSystem, fVolume, fExtra, fNoDirEntries, fExcludeDate, fIncludeDate, fVerbose,
      fQuiet, fCRLF_LF, fLF_CRLF, fJunkDir, fGrow, fForce, fMove, fDeleteEntries, fUpdate, fFreshen, fJunkSFX,
      fLatestTime, fComment, fOffsets, fPrivilege, fEncryption, fRecurse;
  int fRepair;
  char fLevel;
};

struct ZCL {
  int argc;
  const char* lpszZipFN;
  char** FNV;
};

typedef int (*ZpInitFn)(ZIPUSERFUNCTIONS* functions);
typedef int (*ZpSetOptionsFn)(ZPOPT* options);
typedef int (*ZpArchiveFn)(ZCL command);
typedef int (*UnlhaFn)(void* hwnd, const char* command, char* output, unsigned long size);
typedef int (*UnlhaGetVersionFn)(void);
}
