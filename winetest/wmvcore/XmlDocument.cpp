#include "winetest/wmvcore/XmlDocument.h"

#include <msxml2.h>
#include <oleauto.h>

#include <utility>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "winetest/wmvcore/WmErrors.h"

namespace wmv {

namespace {

// msxml3's version-dependent DOMDocument: the one Wine registers for sure.
const CLSID kClsidDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};

// A profile is five levels deep; anything far deeper is not a profile.
constexpr int kMaxDepth = 16;

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(BSTR b) : m_b(b) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(m_b); }
    BSTR Get() const { return m_b; }
    BSTR* Put() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    std::wstring Text() const { return m_b ? std::wstring(m_b, ::SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

HRESULT ReadAttributes(IXMLDOMNode* node, XmlElement& element) {
    ComPtr<IXMLDOMNamedNodeMap> map;
    HRESULT hr = node->get_attributes(&map);
    if (FAILED(hr)) return hr;
    if (!map) return S_OK;
    long count = 0;
    if (FAILED(hr = map->get_length(&count))) return hr;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        if (FAILED(hr = map->get_item(i, &attribute)) || !attribute) return FAILED(hr) ? hr : E_UNEXPECTED;
        Bstr name, value;
        if (FAILED(hr = attribute->get_nodeName(name.Put()))) return hr;
        if (FAILED(hr = attribute->get_text(value.Put()))) return hr;
        element.attributes.emplace_back(name.Text(), value.Text());
    }
    return S_OK;
}

HRESULT ReadElement(IXMLDOMNode* node, int depth, XmlElement& element) {
    if (depth > kMaxDepth) return kInvalidProfile;
    Bstr name;
    HRESULT hr = node->get_nodeName(name.Put());
    if (FAILED(hr)) return hr;
    element.name = name.Text();
    if (FAILED(hr = ReadAttributes(node, element))) return hr;

    ComPtr<IXMLDOMNodeList> children;
    if (FAILED(hr = node->get_childNodes(&children))) return hr;
    if (!children) return S_OK;
    long count = 0;
    if (FAILED(hr = children->get_length(&count))) return hr;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (FAILED(hr = children->get_item(i, &child)) || !child) return FAILED(hr) ? hr : E_UNEXPECTED;
        DOMNodeType type = NODE_INVALID;
        if (FAILED(hr = child->get_nodeType(&type))) return hr;
        if (type != NODE_ELEMENT) continue;  // text, comments, processing instructions
        XmlElement sub;
        if (FAILED(hr = ReadElement(child.Get(), depth + 1, sub))) return hr;
        element.children.push_back(std::move(sub));
    }
    return S_OK;
}

}  // namespace

HRESULT ParseXml(const wchar_t* text, size_t length, XmlElement& root) {
    // The caller may not have COM on this thread; MSXML needs it. An
    // apartment of the caller's own stays as it is.
    win::ScopedComApartment apartment;
    HRESULT hr = S_OK;
    {
        ComPtr<IXMLDOMDocument> document;
        hr = ::CoCreateInstance(kClsidDomDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&document));
        if (FAILED(hr)) return hr;
        // No downloads, no DTDs: a profile is self-contained.
        document->put_async(VARIANT_FALSE);
        document->put_validateOnParse(VARIANT_FALSE);
        document->put_resolveExternals(VARIANT_FALSE);

        Bstr source(::SysAllocStringLen(text, static_cast<UINT>(length)));
        if (!source.Get()) return E_OUTOFMEMORY;
        VARIANT_BOOL loaded = VARIANT_FALSE;
        hr = document->loadXML(source.Get(), &loaded);
        if (FAILED(hr) || loaded != VARIANT_TRUE) return kInvalidProfile;

        ComPtr<IXMLDOMElement> element;
        if (FAILED(document->get_documentElement(&element)) || !element) return kInvalidProfile;
        XmlElement tree;
        if (FAILED(hr = ReadElement(element.Get(), 0, tree))) return hr;
        root = std::move(tree);
    }
    return hr;
}

}  // namespace wmv
