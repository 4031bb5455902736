// Singly linked lists of malloc'd nodes with a tail pointer, so appends are O(1).
// A node type only needs a `next` member; nodes are allocated with malloc and freed with free.
#pragma once

#include <cstdlib>
#include <type_traits>

#include "telemetry/kalgpsrecord.h"

template <typename Node>
struct KalList {
    Node* head = nullptr;
    Node* tail = nullptr;
};

template <typename Node>
inline void list_init(KalList<Node>& list)
{
    list.head = nullptr;
    list.tail = nullptr;
}

// Links the node after the last one.
template <typename Node>
inline void list_add_tail(Node* node, KalList<Node>& list)
{
    if (!node)
        return;
    node->next = nullptr;
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
}

template <typename Node>
inline void list_push(Node* node, KalList<Node>& list)
{
    list_add_tail(node, list);
}

// Links node directly after prev; a null prev links it in front of the first node.
template <typename Node>
inline void list_add(Node* node, std::type_identity_t<Node>* prev, KalList<Node>& list)
{
    if (!node)
        return;
    if (!prev) {
        node->next = list.head;
        list.head = node;
    } else {
        node->next = prev->next;
        prev->next = node;
    }
    if (list.tail == prev || !list.tail)
        list.tail = node;
}

// Unlinks node, which follows prev (or is the first node when prev is null).
// The caller frees the node.
template <typename Node>
inline void list_del(Node* node, std::type_identity_t<Node>* prev, KalList<Node>& list)
{
    if (!node)
        return;
    if (prev)
        prev->next = node->next;
    else
        list.head = node->next;
    if (list.tail == node)
        list.tail = prev;
    node->next = nullptr;
}

// Unlinks and returns the first node, or null for an empty list.
template <typename Node>
inline Node* list_pop(KalList<Node>& list)
{
    Node* node = list.head;
    if (!node)
        return nullptr;
    list.head = node->next;
    if (!list.head)
        list.tail = nullptr;
    node->next = nullptr;
    return node;
}

// Frees every node and leaves the list empty.
template <typename Node>
inline void list_free_all(KalList<Node>& list)
{
    while (Node* node = list_pop(list))
        std::free(node);
}

template <typename Node>
inline bool list_empty(const KalList<Node>& list)
{
    return list.head == nullptr;
}

// malloc'd sample node holding a copy of info; null when memory is short.
RmcInfoNode* kalGpsNewSampleNode(const RmcInfo& info);
// malloc'd segment node; null when memory is short.
GpsSegment* kalGpsNewSegment(int64_t offset, uint32_t size);
