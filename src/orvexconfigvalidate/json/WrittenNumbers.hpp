// The numbers of a parsed text that their double does not hold exactly
// (integers beyond 64 bits, more digits than a double keeps), kept as
// written so that the schema stage compares and shows them as written.
//
// nlohmann holds such a number as a double, so only the reader sees its
// text. It records those (rare) numbers by the address of the value that
// holds them, once the document is complete: the addresses of nested values
// stay put until the document is changed. While a WrittenNumbersInUse is
// alive, number checks on that thread look a double up there first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "json/Decimal.hpp"
#include "json/TextIndex.hpp"

namespace OrvexConfigValidate {

// Whether the number token `token` is not exactly the number `held`, the
// value the reader made of it; `written` gets the token's decimal.
bool differsFromHeld(std::string_view token, const nlohmann::json& held, Decimal& written);

// The subtype of a binary value that carries a number as written (in a
// copy of a document that must keep it exactly); JsonWriter writes such a
// value as the number. Only this library makes them, from number tokens.
constexpr std::uint64_t kWrittenNumberSubtype = 0x4e;

struct WrittenNumber {
    double held;  // the double the document holds
    std::string text;
    Decimal decimal;
};

class WrittenNumbers {
  public:
    bool empty() const { return entries.empty(); }
    std::size_t size() const { return entries.size(); }
    // The entry of the value at this address, or null.
    const WrittenNumber* find(const nlohmann::json* holder) const;

  private:
    friend class WrittenNumberLog;
    std::unordered_map<const nlohmann::json*, WrittenNumber> entries;
};

// What the reader notes while it reads; addresses are taken at the end.
class WrittenNumberLog {
  public:
    // A number token just read into `target`, the value of index node
    // `node`: kept when its double is not the number written. `array` is
    // the open array whose last element `target` is (the array may still
    // grow and move its elements), null for a member or the root.
    void note(std::string_view token, const nlohmann::json& target,
              const nlohmann::json::array_t* array, std::uint32_t node);

    // Once the document is complete. Numbers under a member that a later
    // one of the same name replaced are gone from the document and left out.
    void finish(const TextIndex& index, WrittenNumbers& out);

  private:
    struct Entry {
        const nlohmann::json* holder;          // a member's value or the root
        const nlohmann::json::array_t* array;  // else this array's element
        std::size_t element;
        std::uint32_t node;
        WrittenNumber number;
    };
    std::vector<Entry> entries;
};

// Makes the written numbers of a text the ones that number checks on this
// thread read, until it goes out of scope; scopes nest (a pair has one per
// text). `root` is where the text's document is held while it is
// validated, `parsedRoot` where the reader filled it.
class WrittenNumbersInUse {
  public:
    WrittenNumbersInUse(const WrittenNumbers& numbers, const nlohmann::json& parsedRoot,
                        const nlohmann::json& root);
    ~WrittenNumbersInUse();
    WrittenNumbersInUse(const WrittenNumbersInUse&) = delete;
    WrittenNumbersInUse& operator=(const WrittenNumbersInUse&) = delete;

    // The written number held by `value` in the texts in use on this
    // thread, or null.
    static const WrittenNumber* lookUp(const nlohmann::json& value);

  private:
    const WrittenNumbers& numbers;
    const nlohmann::json* parsedRoot;
    const nlohmann::json* root;
    const WrittenNumbersInUse* outer;
};

}  // namespace OrvexConfigValidate
