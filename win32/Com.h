#pragma once

#include <objbase.h>

#include <utility>

// COM for the calling thread, for as long as the program runs. Without it the accessibility properties and the
// shell's parts of the file dialog are missing, nothing more: the program goes on.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    // Only a successful initialisation (S_FALSE included) is balanced; a refused one must not be.
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};

// One reference to a COM object, released on every way out of the scope that asked for it.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    // For a call that hands out a new reference.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&m_object);
    }
    // Takes over a reference the caller owns.
    void adopt(T* object) {
        reset();
        m_object = object;
    }
    // Hands the reference to the caller.
    T* release() { return std::exchange(m_object, nullptr); }
    void reset() {
        if (T* object = std::exchange(m_object, nullptr))
            object->Release();
    }

private:
    T* m_object = nullptr;
};
