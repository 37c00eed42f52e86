// Resource ids of Tabrye.exe: one header for the .rc and the code.
#pragma once

#define IDR_MAINFRAME 328

// String table
#define IDS_ABORT_QUERY 330

// Registry script of the COM local server
#define IDR_REGISTRY_SCRIPT 173
