// One table per class names its fixed attributes once: kind, member and
// name, in list order. The class writes the table as a list macro,
//   #define QV_SPAWNER_ATTRIBUTES(X) X(QVAttributeFloat, spawnRate, "Spawn Rate")
//       X(QVAttributeStringList, spawnAction, "Spawn Action")
// (one macro: each line but the last ends in a backslash)
// and expands it three times:
//   in the class body:          QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
//   after the base in the constructor by name:
//                               : Base(name) QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_INIT)
//   after the base in the copy constructor:
//                               : Base(source) QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_COPY)
// Each row gives a member attribute m_<member>Member, constructed with the
// model in row order (so appended to the list in that order), and a pointer
// m_<member> to it, which is null in a copy whose source did not list the
// attribute: getters read through the pointer and answer a neutral value
// when it is null. Defaults and ranges are set once, in the constructor by
// name, silently. A row whose attribute needs extra constructor arguments
// (flags) is written out by hand in the same order. A copy's member takes
// the source member's name, so a member a constructor renamed keeps its new
// name in copies.
#pragma once

#include "model/core/QVAttribute.h"

#define QV_ATTRIBUTE_MEMBER(Kind, member, Name) \
    QVMember<Kind> m_##member##Member;          \
    Kind* m_##member = nullptr;

#define QV_ATTRIBUTE_INIT(Kind, member, Name) , m_##member##Member(Name, this), m_##member(&m_##member##Member)

#define QV_ATTRIBUTE_COPY(Kind, member, Name)                                                   \
    , m_##member##Member(source.m_##member##Member.nameArg(), this, source.m_##member##Member), \
        m_##member(source.listed(source.m_##member##Member, m_##member##Member))

// `true QV_X_ATTRIBUTES(QV_ATTRIBUTE_BOUND)`: whether every member is listed.
#define QV_ATTRIBUTE_BOUND(Kind, member, Name) &&m_##member != nullptr
