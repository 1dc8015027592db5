#include "common/strict_json.hpp"

#include <algorithm>
#include <iterator>
#include <optional>
#include <unordered_set>

namespace nerith::strict_json {
namespace {

// An input iterator that publishes how far the parser has read, so that
// the SAX events below can be located in the text.
class TrackedIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackedIterator(const char* at, const char** cursor) : at_(at), cursor_(cursor) {}
  reference operator*() const { return *at_; }
  TrackedIterator& operator++() {
    *cursor_ = ++at_;
    return *this;
  }
  TrackedIterator operator++(int) {
    TrackedIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const TrackedIterator& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  const char** cursor_;
};

// Builds the DOM like nlohmann's own SAX DOM parser, and records the layout
// of every object, repeated keys included (the DOM keeps only the last).
class LayoutBuilder {
 public:
  LayoutBuilder(Document& doc, const char* const* cursor) : doc_(doc), cursor_(cursor) {}

  bool null() { return put(nullptr); }
  bool boolean(bool v) { return put(v); }
  bool number_integer(Json::number_integer_t v) { return put(v); }
  bool number_unsigned(Json::number_unsigned_t v) { return put(v); }
  bool number_float(Json::number_float_t v, const Json::string_t&) { return put(v); }
  bool string(Json::string_t& v) { return put(std::move(v)); }
  bool binary(Json::binary_t& v) { return put(std::move(v)); }

  bool start_object(std::size_t) {
    Json* object = slot(Json::object());
    stack_.push_back(object);
    frames_.emplace_back();
    return true;
  }
  bool key(Json::string_t& k) {
    Frame& frame = frames_.back();
    const std::size_t at = offset();
    if (!frame.seen.insert(k).second) frame.layout.repeated_keys.emplace_back(k, at);
    frame.layout.key_offsets[k] = at;
    key_slot_ = &(*stack_.back())[k];
    return true;
  }
  bool end_object() {
    Frame& frame = frames_.back();
    frame.layout.end = offset();
    doc_.layouts[stack_.back()->get_ptr<const Json::object_t*>()] = std::move(frame.layout);
    frames_.pop_back();
    stack_.pop_back();
    return true;
  }
  bool start_array(std::size_t) {
    Json* array = slot(Json::array());
    // A fresh array may reuse the storage of one that a repeated key dropped.
    doc_.element_offsets[array->get_ptr<const Json::array_t*>()].clear();
    stack_.push_back(array);
    return true;
  }
  bool end_array() {
    stack_.pop_back();
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
    std::string_view what = e.what();
    // Drop nlohmann's "[json.exception.parse_error.101] " tag; keep the description.
    if (const auto tag_end = what.find("] "); tag_end != std::string_view::npos) {
      what.remove_prefix(tag_end + 2);
    }
    error = std::string(what);
    // Syntax errors name their line and column; others (a number too large
    // for a double) do not, so locate them where the parser stopped.
    if (dynamic_cast<const nlohmann::detail::parse_error*>(&e) == nullptr) {
      error = doc_.located(error, offset());
    }
    return false;
  }

  std::string error;

 private:
  struct Frame {
    std::unordered_set<std::string> seen;
    ObjectLayout layout;
  };

  std::size_t offset() const { return static_cast<std::size_t>(*cursor_ - doc_.text.data()); }

  Json* slot(Json value) {
    if (stack_.empty()) {
      doc_.root = std::move(value);
      return &doc_.root;
    }
    Json& parent = *stack_.back();
    if (parent.is_array()) {
      doc_.element_offsets[parent.get_ptr<const Json::array_t*>()].push_back(offset());
      parent.push_back(std::move(value));
      return &parent.back();
    }
    *key_slot_ = std::move(value);
    return key_slot_;
  }
  bool put(Json value) {
    slot(std::move(value));
    return true;
  }

  Document& doc_;
  const char* const* cursor_;
  std::vector<Json*> stack_;
  std::vector<Frame> frames_;
  Json* key_slot_ = nullptr;
};

std::string describe(const Json& value) {
  switch (value.type()) {
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
      return "integer `" + value.dump() + "`";
    case Json::value_t::number_float:
      return "floating point `" + value.dump() + "`";
    case Json::value_t::string:
      return "string " + value.dump();
    case Json::value_t::boolean:
      return "boolean `" + value.dump() + "`";
    default:
      return std::string(value.type_name());
  }
}

const Json::object_t& as_object(const Document& doc, const Json& value, std::string_view record) {
  if (!value.is_object()) {
    throw ReadError(doc.located(
        "invalid type: " + describe(value) + ", expected " + std::string(record), value));
  }
  return *value.get_ptr<const Json::object_t*>();
}

// Where `value` was read: an array element where it starts, an object
// member at its key. The walk keeps its own stack, as the parser does, so
// that deep nesting cannot exhaust the thread's.
std::optional<std::size_t> offset_of(const Document& doc, const Json& value) {
  std::vector<const Json*> pending = {&doc.root};
  while (!pending.empty()) {
    const Json& node = *pending.back();
    pending.pop_back();
    if (node.is_array()) {
      const auto* array = node.get_ptr<const Json::array_t*>();
      for (std::size_t i = 0; i < array->size(); ++i) {
        if (&(*array)[i] == &value) return doc.element_offsets.at(array)[i];
        pending.push_back(&(*array)[i]);
      }
    } else if (node.is_object()) {
      const auto* object = node.get_ptr<const Json::object_t*>();
      for (const auto& [key, member] : *object) {
        if (&member == &value) return doc.layouts.at(object).key_offsets.at(key);
        pending.push_back(&member);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::string Document::located(std::string_view fault, std::size_t offset) const {
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  const auto line = std::count(before.begin(), before.end(), '\n') + 1;
  const auto last_newline = before.rfind('\n');
  const std::size_t column =
      last_newline == std::string_view::npos ? before.size() : before.size() - last_newline - 1;
  return std::string(fault) + " at line " + std::to_string(line) + " column " +
         std::to_string(column);
}

std::string Document::located(std::string_view fault, const Json& value) const {
  // Only a fault gets here, so a walk of the tree is cheap enough.
  if (const auto offset = offset_of(*this, value)) return located(fault, *offset);
  const std::size_t first = text.find_first_not_of(" \t\r\n");  // the root value
  return located(fault, first == std::string_view::npos ? text.size() : first + 1);
}

std::expected<Document, std::string> parse_document(std::string_view text) {
  Document doc;
  doc.text = text;
  const char* cursor = text.data();
  LayoutBuilder builder(doc, &cursor);
  const TrackedIterator first(text.data(), &cursor);
  const TrackedIterator last(text.data() + text.size(), &cursor);
  const bool ok = Json::sax_parse(first, last, &builder);
  if (!ok) return std::unexpected(builder.error.empty() ? "malformed JSON" : builder.error);
  return doc;
}

ObjectReader::ObjectReader(const Document& doc, const Json& value, std::string_view record,
                           std::initializer_list<std::string_view> listed)
    : doc_(doc), object_(as_object(doc, value, record)), layout_(nullptr) {
  const auto found = doc.layouts.find(&object_);
  if (found == doc.layouts.end()) return;
  layout_ = &found->second;
  for (const auto& [key, offset] : layout_->repeated_keys) {
    if (std::find(listed.begin(), listed.end(), key) != listed.end()) {
      throw ReadError(doc.located("duplicate field `" + key + "`", offset));
    }
  }
}

const Json* ObjectReader::find(std::string_view key) const {
  const auto found = std::find_if(object_.begin(), object_.end(),
                                  [&](const auto& member) { return member.first == key; });
  return found == object_.end() ? nullptr : &found->second;
}

const Json& ObjectReader::required(std::string_view key) const {
  if (const Json* value = find(key)) return *value;
  const std::string fault = "missing field `" + std::string(key) + "`";
  throw ReadError(layout_ ? doc_.located(fault, layout_->end) : fault);
}

void ObjectReader::type_fault(std::string_view key, const Json& value,
                              std::string_view expected) const {
  const std::string fault = "invalid type: " + describe(value) + ", expected " +
                            std::string(expected) + " for field `" + std::string(key) + "`";
  if (layout_ != nullptr) {
    if (const auto at = layout_->key_offsets.find(std::string(key));
        at != layout_->key_offsets.end()) {
      throw ReadError(doc_.located(fault, at->second));
    }
  }
  throw ReadError(fault);
}

std::string ObjectReader::string(std::string_view key) const {
  const Json& value = required(key);
  if (!value.is_string()) type_fault(key, value, "a string");
  return value.get<std::string>();
}

std::optional<std::string> ObjectReader::optional_string(std::string_view key) const {
  const Json* value = find(key);
  if (value == nullptr || value->is_null()) return std::nullopt;
  if (!value->is_string()) type_fault(key, *value, "a string");
  return value->get<std::string>();
}

double ObjectReader::number(std::string_view key) const {
  const Json& value = required(key);
  if (!value.is_number()) type_fault(key, value, "a number");
  return value.get<double>();
}

std::optional<double> ObjectReader::number_or(std::string_view key) const {
  const Json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_number()) type_fault(key, *value, "a number");
  return value->get<double>();
}

std::optional<bool> ObjectReader::boolean_or(std::string_view key) const {
  const Json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) type_fault(key, *value, "a boolean");
  return value->get<bool>();
}

std::optional<Json> ObjectReader::any(std::string_view key) const {
  const Json* value = find(key);
  if (value == nullptr || value->is_null()) return std::nullopt;
  return *value;
}

const Json& ObjectReader::array(std::string_view key) const {
  const Json& value = required(key);
  if (!value.is_array()) type_fault(key, value, "a sequence");
  return value;
}

const Json& ObjectReader::object(std::string_view key) const {
  const Json& value = required(key);
  if (!value.is_object()) type_fault(key, value, "a map");
  return value;
}

}  // namespace nerith::strict_json
