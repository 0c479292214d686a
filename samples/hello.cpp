// The first lines of an Orvalis host in C++, late-bound through IDispatch
// so that it needs no generated header: which library answers, as
// "Orvalis 1.0.101". Register orvalis.dll first (regsvr32 orvalis.dll).
//
//   x86_64-w64-mingw32-g++ -municode -o hello.exe hello.cpp -lole32 -loleaut32 -luuid
//   (or: cl /EHsc hello.cpp ole32.lib oleaut32.lib)
#include <windows.h>
#include <ole2.h>
#include <cstdio>

// Calls a member without arguments: a method (GetProStdProperties) or a
// property read (Major). Returns an empty VARIANT on failure.
static VARIANT call(IDispatch* object, const wchar_t* name, WORD kind) {
    VARIANT result;
    VariantInit(&result);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id;
    if (SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none, &result, nullptr, nullptr);
    }
    return result;
}

static long number(IDispatch* object, const wchar_t* name) {
    VARIANT value = call(object, name, DISPATCH_PROPERTYGET);
    long n = SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)) ? value.lVal : -1;
    VariantClear(&value);
    return n;
}

int wmain() {
    CoInitialize(nullptr);
    int status = 1;
    CLSID clsid;
    IDispatch* info = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(L"Orvalis.clsVxOrvalisA", &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&info)))) {
        VARIANT app = call(info, L"GetProStdProperties", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        if (app.vt == VT_DISPATCH && app.pdispVal) {
            std::printf("Orvalis %ld.%ld.%ld\n", number(app.pdispVal, L"Major"), number(app.pdispVal, L"Minor"),
                        number(app.pdispVal, L"Revision"));
            status = 0;
        }
        VariantClear(&app);
        info->Release();
    } else {
        std::printf("Orvalis is not registered (regsvr32 orvalis.dll)\n");
    }
    CoUninitialize();
    return status;
}
