// Strict reading of JSON documents into typed records: listed keys may not
// repeat, required keys must be present, values must have the declared
// type, unlisted keys are ignored and nothing but whitespace may follow the
// document. Faults are reported with their line and column.
#pragma once

#include <cstddef>
#include <expected>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace nerith::strict_json {

using Json = nlohmann::ordered_json;

// Where each object ends and where each of its keys stands, by byte offset,
// and which keys it repeats.
struct ObjectLayout {
  std::size_t end = 0;
  std::unordered_map<std::string, std::size_t> key_offsets;
  std::vector<std::pair<std::string, std::size_t>> repeated_keys;
};

// A parsed document with the layout of every object.
struct Document {
  std::string_view text;
  Json root;
  std::unordered_map<const Json::object_t*, ObjectLayout> layouts;
  // Where each element of each array starts, in element order.
  std::unordered_map<const Json::array_t*, std::vector<std::size_t>> element_offsets;

  std::string located(std::string_view fault, std::size_t offset) const;
  // The fault located where `value` (a node of root) was read.
  std::string located(std::string_view fault, const Json& value) const;
};

// A reading fault, carrying the full description. Thrown inside the reader
// only; parse_document turns it into an error value.
struct ReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses one JSON value followed by nothing but whitespace.
std::expected<Document, std::string> parse_document(std::string_view text);

// Typed access to one JSON object of a document.
class ObjectReader {
 public:
  // `listed` are the keys the record declares; a repeated listed key is a fault.
  ObjectReader(const Document& doc, const Json& value, std::string_view record,
               std::initializer_list<std::string_view> listed);

  std::string string(std::string_view key) const;
  std::optional<std::string> optional_string(std::string_view key) const;  // null = absent
  double number(std::string_view key) const;
  std::optional<double> number_or(std::string_view key) const;  // absent = nullopt, null = fault
  std::optional<bool> boolean_or(std::string_view key) const;   // absent = nullopt, null = fault
  std::optional<Json> any(std::string_view key) const;          // absent or null = nullopt
  const Json& array(std::string_view key) const;
  const Json& object(std::string_view key) const;

  const Document& document() const { return doc_; }

 private:
  const Json* find(std::string_view key) const;
  const Json& required(std::string_view key) const;
  [[noreturn]] void type_fault(std::string_view key, const Json& value,
                               std::string_view expected) const;

  const Document& doc_;
  const Json::object_t& object_;
  const ObjectLayout* layout_;
};

// Runs `read` over a whole document, turning a ReadError into an error value.
template <class Read>
auto read_document(std::string_view text, Read read)
    -> std::expected<decltype(read(std::declval<const Document&>())), std::string> {
  auto doc = parse_document(text);
  if (!doc) return std::unexpected(std::move(doc.error()));
  try {
    return read(*doc);
  } catch (const ReadError& fault) {
    return std::unexpected(std::string(fault.what()));
  }
}

}  // namespace nerith::strict_json
