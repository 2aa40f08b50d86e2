#include "xml_lite_reference.h"

#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "document/xml_scanner.h"

namespace testing_support {

namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The module, loaded once for the test program's life.
class XmlLiteModule {
public:
    XmlLiteModule() : module_(LoadLibraryW(L"xmllite.dll")) {}
    ~XmlLiteModule() {
        if (module_) FreeLibrary(module_);
    }
    XmlLiteModule(const XmlLiteModule&) = delete;
    XmlLiteModule& operator=(const XmlLiteModule&) = delete;
    CreateReader create() const {
        return module_ ? reinterpret_cast<CreateReader>(
                             reinterpret_cast<void*>(GetProcAddress(module_, "CreateXmlReader")))
                       : nullptr;
    }

private:
    HMODULE module_;
};

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

}  // namespace

bool XmlLiteEvents(const std::string& bytes, std::wstring& events) {
    static XmlLiteModule xmllite;
    CreateReader create = xmllite.create();
    if (create == nullptr) return false;
    Released<IXmlReader> reader;
    Released<IStream> stream;
    stream.p = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<UINT>(bytes.size()));
    if (stream.p == nullptr || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.p), nullptr)))
        return false;
    reader.p->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    reader.p->SetInput(stream.p);
    events.clear();
    int depth = 0;
    XmlNodeType type;
    HRESULT hr;
    while ((hr = reader.p->Read(&type)) == S_OK) {
        const wchar_t* value = nullptr;
        UINT length = 0;
        if (type == XmlNodeType_Element) {
            reader.p->GetNamespaceUri(&value, &length);
            char uri[512];
            const int n = WideCharToMultiByte(CP_UTF8, 0, value, static_cast<int>(length), uri,
                                              sizeof uri, nullptr, nullptr);
            reader.p->GetLocalName(&value, &length);
            events += L"<" + std::to_wstring(static_cast<int>(NamespaceOf(uri, n))) + L":" +
                      std::wstring(value, length) + L">";
            if (reader.p->IsEmptyElement()) events += L"</>";
            else ++depth;
        } else if (type == XmlNodeType_EndElement) {
            events += L"</>";
            --depth;
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
                    type == XmlNodeType_Whitespace) && depth > 0) {
            reader.p->GetValue(&value, &length);
            events.append(value, length);
        }
    }
    events += hr == S_FALSE ? L"|end" : L"!error";
    return true;
}

}  // namespace testing_support
