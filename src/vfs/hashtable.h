// String-keyed hash table of the file layer's archive directory. Nodes keep
// the key's full hash so that a lookup compares bytes only on a likely hit.
#pragma once

#include "engine/fatalerror.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename Value>
class HashTable {
    // Nodes are plain memory from EngineAlloc.
    static_assert(std::is_trivially_copyable<Value>::value, "values are copied bytewise");

public:
    explicit HashTable(uint32_t bucketCount = 4099) : count(bucketCount ? bucketCount : 257)
    {
        buckets = static_cast<Node**>(EngineAlloc(count * sizeof(Node*)));
        memset(buckets, 0, count * sizeof(Node*));
    }
    ~HashTable()
    {
        for (uint32_t i = 0; i < count; ++i) {
            while (Node* node = buckets[i]) {
                buckets[i] = node->next;
                free(node->key);
                free(node);
            }
        }
        free(buckets);
    }
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;

    static uint32_t Hash(const char* key)
    {
        uint32_t h = 5381;
        for (; *key; ++key)
            h = (h * 33 + uint32_t(static_cast<signed char>(*key))) * 51;
        return h;
    }

    // The value stored under `key`, or null.
    Value* Find(const char* key) const
    {
        const uint32_t hash = Hash(key);
        for (Node* node = buckets[hash % count]; node; node = node->next)
            if (node->hash == hash && !strcmp(node->key, key))
                return &node->value;
        return nullptr;
    }

    // Replaces the value of a present key; a new key goes to the end of its chain.
    void Insert(const char* key, const Value& value)
    {
        if (Value* present = Find(key)) {
            *present = value;
            return;
        }
        const uint32_t hash = Hash(key);
        Node** link = &buckets[hash % count];
        while (*link)
            link = &(*link)->next;
        const size_t length = strlen(key) + 1;
        Node* node = static_cast<Node*>(EngineAlloc(sizeof(Node)));
        node->key = static_cast<char*>(EngineAlloc(length));
        memcpy(node->key, key, length);
        node->value = value;
        node->hash = hash;
        node->next = nullptr;
        *link = node;
    }

private:
    struct Node {
        char* key;
        Value value;
        uint32_t hash;
        Node* next;
    };

    Node** buckets;
    uint32_t count;
};
