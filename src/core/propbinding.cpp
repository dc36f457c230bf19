#include "propbinding.h"

#include "propmanager.h"

namespace {

// How each bound type goes into and comes out of a variant.
template <class T>
struct Convert;

template <>
struct Convert<float>
{
    static CPropValue toValue(float v) { return CPropValue::f32(v); }
    static float fromValue(const CPropValue& v) { return v.toFloat(); }
};

template <>
struct Convert<qint32>
{
    static CPropValue toValue(qint32 v) { return CPropValue::i32(v); }
    static qint32 fromValue(const CPropValue& v) { return v.toInt(); }
};

template <>
struct Convert<quint8>
{
    static CPropValue toValue(quint8 v) { return CPropValue::byte(v); }
    static quint8 fromValue(const CPropValue& v) { return v.toByte(); }
};

template <>
struct Convert<bool>
{
    static CPropValue toValue(bool v) { return CPropValue::boolean(v); }
    static bool fromValue(const CPropValue& v) { return v.toBool(); }
};

template <>
struct Convert<QString>
{
    static CPropValue toValue(const QString& v) { return CPropValue::string(v); }
    static QString fromValue(const CPropValue& v) { return v.toString(); }
};

} // namespace

template <class T>
CPropBinding<T>::CPropBinding(CPropManager& store, const QString& name, const QString& description,
                              const T& defaultValue, bool flagBit0, bool persistent)
    : m_store(&store)
    , m_name(name)
    , m_cache(Convert<T>::fromValue(
          store.registerProp(name, description, flagBit0, Convert<T>::toValue(defaultValue), persistent)
              ->value()))
{
}

template <class T>
const T& CPropBinding<T>::refresh()
{
    m_cache = Convert<T>::fromValue(m_store->getValue(m_name).value_or(CPropValue()));
    return m_cache;
}

template <class T>
void CPropBinding<T>::set(const T& value)
{
    m_store->setValue(m_name, Convert<T>::toValue(value));
    m_cache = value;
}

template class CPropBinding<float>;
template class CPropBinding<qint32>;
template class CPropBinding<quint8>;
template class CPropBinding<bool>;
template class CPropBinding<QString>;
