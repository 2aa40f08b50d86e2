// XmlLite, the platform's XML reader, as the reference the document XML
// reader is compared with. MinGW has no import library for it, so it is
// loaded at run time.
#pragma once

#include <string>

namespace testing_support {

// The events XmlLite reads from bytes, as one text: "<N:local>" for an
// element (N its namespace as NamespaceOf gives it), "</>" for an end, the
// text inside the root as it is, and "|end" or "!error" last. False when
// xmllite.dll can't be loaded.
bool XmlLiteEvents(const std::string& bytes, std::wstring& events);

}  // namespace testing_support
