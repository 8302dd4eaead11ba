#pragma once

// What the side windows share for placing their controls as they were designed.
#include "platform/twips.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QVariant>

// The windows were designed in twips.
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// A control array (C(0) to C(5) ...): every element carries the array's name as its
// objectName and its index in the property "arrayIndex", the way the menus do it.
inline constexpr char kArrayIndexProperty[] = "arrayIndex";

inline void setArrayName(QObject* control, const QString& name, int index)
{
    control->setObjectName(name);
    control->setProperty(kArrayIndexProperty, index);
}

template <class T>
T* arrayElement(const QObject* parent, const QString& name, int index)
{
    const QList<T*> candidates = parent->findChildren<T*>(name);
    for (T* candidate : candidates) {
        const QVariant value = candidate->property(kArrayIndexProperty);
        if (value.isValid() && value.toInt() == index)
            return candidate;
    }
    return nullptr;
}
