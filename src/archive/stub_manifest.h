// The application manifest (resource 24/1) of the stub and of every installer: the execution
// level (uiAccess left at its default, false), the Windows versions it was written for (so that no
// compatibility shim lies to it about the version), system DPI awareness (the dialogs scale with
// the system font; the pictures stay centred in their frames, unstretched) and Common Controls 6
// (today's look of buttons and progress bars). zbpack writes the same text with the level chosen at
// pack time. Macros of adjacent string literals, so that the resource script can use them too;
// attribute values are in single quotes so that none needs escaping. Every byte counts against the
// stub's size: no XML declaration, no line breaks, no optional attribute.
#pragma once

#define ZB_DEFAULT_EXECUTION_LEVEL "requireAdministrator"

#define ZB_MANIFEST_BEFORE_LEVEL                                                        \
  "<assembly xmlns='urn:schemas-microsoft-com:asm.v1' manifestVersion='1.0'>"           \
  "<trustInfo xmlns='urn:schemas-microsoft-com:asm.v3'><security><requestedPrivileges>" \
  "<requestedExecutionLevel level='"

#define ZB_MANIFEST_AFTER_LEVEL                                                             \
  "'/></requestedPrivileges></security></trustInfo>"                                        \
  "<compatibility xmlns='urn:schemas-microsoft-com:compatibility.v1'><application>"         \
  "<supportedOS Id='{e2011457-1546-43c5-a5fe-008deee3d3f0}'/>"                              \
  "<supportedOS Id='{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'/>"                              \
  "<supportedOS Id='{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}'/>"                              \
  "<supportedOS Id='{1f676c76-80e1-4239-95bb-83d0f6d0da78}'/>"                              \
  "<supportedOS Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'/>"                              \
  "</application></compatibility>"                                                          \
  "<application xmlns='urn:schemas-microsoft-com:asm.v3'><windowsSettings>"                 \
  "<dpiAware xmlns='http://schemas.microsoft.com/SMI/2005/WindowsSettings'>true</dpiAware>" \
  "</windowsSettings></application>"                                                        \
  "<dependency><dependentAssembly><assemblyIdentity type='win32' "                          \
  "name='Microsoft.Windows.Common-Controls' version='6.0.0.0' processorArchitecture='*' "   \
  "publicKeyToken='6595b64144ccf1df'/></dependentAssembly></dependency>"                    \
  "</assembly>"

#define ZB_MANIFEST(level) ZB_MANIFEST_BEFORE_LEVEL level ZB_MANIFEST_AFTER_LEVEL
