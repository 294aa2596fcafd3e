#pragma once

#include <QMutex>
#include <QtGlobal>
#include <utility>

// The one way the facades ("app", "device", "config") keep and notify their
// properties: a setter stores through a store that tells whether the value
// really changed, and only then emits the property's change signal, after
// the store's lock is released (a slot may read the property back).
//
// Guarded<T> is such a store for a value that is not a parameter row: the
// value with a lock of its own, so that the reader, work and poll threads may
// set it while the pages read it. Doubles compare within qFuzzyCompare's
// tolerance, so a reading that jitters in its last bits does not signal.
template <typename T>
class Guarded
{
public:
    Guarded() = default;
    explicit Guarded(T initial) : m_value(std::move(initial)) {}
    Guarded(const Guarded &) = delete;
    Guarded &operator=(const Guarded &) = delete;

    T get() const
    {
        QMutexLocker lock(&m_lock);
        return m_value;
    }
    // true when value differs from the one held (which it then replaces).
    bool set(const T &value)
    {
        QMutexLocker lock(&m_lock);
        if (same(m_value, value))
            return false;
        m_value = value;
        return true;
    }
    // Replaces the value and returns the one before.
    T exchange(T value)
    {
        QMutexLocker lock(&m_lock);
        std::swap(m_value, value);
        return value;
    }
    // Runs f under the lock on a copy of the value, which replaces the value
    // when f returns true (that it changed it). A copy get() handed out may
    // still be read outside the lock: an implicitly shared container changed
    // in place would write the very nodes that reader reads, once it has let
    // go of its count (Qt checks the count without ordering the reader's
    // last reads before the change). The copy shares the data until f writes,
    // and a write then detaches it.
    template <typename F>
    bool update(F &&f)
    {
        QMutexLocker lock(&m_lock);
        T next = m_value;
        if (!f(next))
            return false;
        m_value = std::move(next);
        return true;
    }

private:
    template <typename U>
    static bool same(const U &a, const U &b) { return a == b; }
    static bool same(const double &a, const double &b) { return a == b || qFuzzyCompare(a, b); }

    mutable QMutex m_lock;
    T m_value{};
};

// Defines a property's getter and setter over a Guarded member: the setter
// emits getterChanged() once per real change. Param is the setter's
// parameter type (a value for numbers, a const reference for strings).
#define DRAVO_GUARDED_PROPERTY(Class, Type, Param, getter, setter, member)                                           \
    Type Class::getter() const { return member.get(); }                                                                \
    void Class::setter(Param v)                                                                                        \
    {                                                                                                                  \
        if (member.set(Type(v)))                                                                                       \
            emit getter##Changed();                                                                                    \
    }
