#pragma once

#include <QStringView>

#include <optional>

// The named character references of HTML 4 (252) and &apos;.
namespace jtext {

struct NamedEntity {
    const char* name;
    char32_t code;
};

extern const NamedEntity kNamedEntities[];
extern const int kNamedEntityCount;

// The character a name stands for (case counts: &Alpha; is not &alpha;).
std::optional<char32_t> namedEntity(QStringView name);

}
