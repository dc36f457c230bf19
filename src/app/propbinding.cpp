#include "propbinding.h"

#include "propmanager.h"

template <class T>
CPropBinding<T>::CPropBinding(CPropManager& store, const QString& name, const QString& description,
                              const T& defaultValue, bool flagBit0, bool persistent)
    : m_store(&store)
    , m_name(name)
    , m_cache(fromValue(store.registerProp(name, description, flagBit0, toValue(defaultValue), persistent)
                            ->value()))
{
}

template <class T>
const T& CPropBinding<T>::refresh()
{
    m_cache = fromValue(m_store->getValue(m_name).value_or(CPropValue()));
    return m_cache;
}

template <class T>
void CPropBinding<T>::set(const T& value)
{
    m_store->setValue(m_name, toValue(value));
    m_cache = value;
}

template <>
CPropValue CPropBinding<float>::toValue(const float& v) { return CPropValue::f32(v); }
template <>
float CPropBinding<float>::fromValue(const CPropValue& v) { return v.toFloat(); }

template <>
CPropValue CPropBinding<qint32>::toValue(const qint32& v) { return CPropValue::i32(v); }
template <>
qint32 CPropBinding<qint32>::fromValue(const CPropValue& v) { return v.toInt(); }

template <>
CPropValue CPropBinding<quint8>::toValue(const quint8& v) { return CPropValue::byte(v); }
template <>
quint8 CPropBinding<quint8>::fromValue(const CPropValue& v) { return v.toByte(); }

template <>
CPropValue CPropBinding<bool>::toValue(const bool& v) { return CPropValue::boolean(v); }
template <>
bool CPropBinding<bool>::fromValue(const CPropValue& v) { return v.toBool(); }

template <>
CPropValue CPropBinding<QString>::toValue(const QString& v) { return CPropValue::string(v); }
template <>
QString CPropBinding<QString>::fromValue(const CPropValue& v) { return v.toString(); }

template class CPropBinding<float>;
template class CPropBinding<qint32>;
template class CPropBinding<quint8>;
template class CPropBinding<bool>;
template class CPropBinding<QString>;
