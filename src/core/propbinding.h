#pragma once
// Typed bindings to settings: the setting's name and a cached copy of its
// value, for code that reads a setting often. Creating a binding registers
// the setting; setting through it writes the store and the cache. The store
// must outlive its bindings.

#include <QString>

class CPropManager;

template <class T>
class CPropBinding
{
public:
    CPropBinding(CPropManager& store, const QString& name, const QString& description,
                 const T& defaultValue, bool flagBit0 = true, bool persistent = true);

    const QString& name() const { return m_name; }
    // The cached value; it goes stale only if someone writes the setting by
    // name behind the binding's back.
    const T& get() const { return m_cache; }
    // Re-reads the store; a setting removed meanwhile reads as 0, false or empty.
    const T& refresh();
    void set(const T& value);

private:
    CPropManager* m_store;
    QString m_name;
    T m_cache;
};

using CFloatProp = CPropBinding<float>;
using CIntProp = CPropBinding<qint32>;
using CByteProp = CPropBinding<quint8>;
using CBoolProp = CPropBinding<bool>;
using CStringProp = CPropBinding<QString>;

extern template class CPropBinding<float>;
extern template class CPropBinding<qint32>;
extern template class CPropBinding<quint8>;
extern template class CPropBinding<bool>;
extern template class CPropBinding<QString>;
