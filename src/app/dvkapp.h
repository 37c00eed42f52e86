// The application object: the start-up sequence, the instance number, the COM
// class object and the recent-file list.
#pragma once

#include <windows.h>

#include <memory>

#include "app/comserver.h"
#include "app/instance.h"
#include "app/startup/cmdline.h"
#include "fw/app.h"
#include "fw/cmdset.h"

namespace app {

// What a start may change; the defaults are those of Tabrye.exe. Tests start
// the application in-process with their own command line and instance block.
struct ShellOptions {
  bool useProcessCommandLine = true;  // else `commandLine`
  CString commandLine;                // the text after the program name
  const char* instanceBlock = "Local\\DorvikInstances";
  bool registerCom = true;            // class object and per-user registration
  bool makeVisible = true;
  CString programDir;                 // folder of the settings files; "" = the program's own
  const char* registryKey = "Dorvik";  // HKCU\Software\<key>\Tabrye holds the recent files
};

}  // namespace app

class CDvkApp : public CWinApp {
  // Its commands: the framework's New, Open and recent-file rows of
  // cmd/commands.def (dvkapp_commands.cpp).
  FW_DECLARE_COMMAND_SET()

 public:
  explicit CDvkApp(const app::ShellOptions& options = app::ShellOptions());
  ~CDvkApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;
  // The open dialog: the kinds the program shows, starting in the document's
  // folder or the list side's.
  CString GetOpenFilter() override;
  CString GetOpenFolder() override;
  // True once the start-up has finished: from then on New, Open and Save As
  // give the frame the document's name as its title.
  bool StartDone() const { return m_bStartDone; }

  // The parsed start command (title, layout, file, macro).
  const app::StartupCommand& StartCommand() const { return m_start; }
  // This copy's number among the running copies (0 = first).
  int InstanceNumber() const { return m_nInstanceNo; }
  // The program folder the start was given ("" = the executable's folder).
  const CString& ProgramDirOverride() const { return m_options.programDir; }
  // True when InitInstance stopped after registration (/Embedding, /Automation,
  // /UnregServer): there is no window and the program ends.
  bool StoppedAfterRegistration() const { return m_bStoppedEarly; }

 private:
  app::ShellOptions m_options;
  app::StartupCommand m_start;
  std::unique_ptr<app::InstanceRegistry> m_pInstances;
  app::ClassObjectRegistration m_classObject;
  bool m_bOleInitialized = false;
  bool m_bStoppedEarly = false;
  bool m_bStartDone = false;
  int m_nInstanceNo = 0;
};

CDvkApp* DvkApp();

namespace app {
// Runs the program: start-up, message loop, exit code.
int RunApplication(HINSTANCE instance, int show);
}  // namespace app
