// The one way the converter writes JSON: a document written as it is made,
// straight to a stream, a megabyte at a time, so that the objects of a large
// import never stand in memory as a tree or as one text. Its layout keeps a
// diff readable: an array of plain values (a point, a face, flags) stands on
// one line, every other member or element on a line of its own, indented by
// one space a level. Text is always valid UTF-8: bytes that are not (a file
// name from an old archive) become U+FFFD. Numbers are the shortest text
// that reads back as the same value; one that JSON cannot hold is null.
//
//   JsonWriter json(std::cout);
//   json.BeginObject();
//   json.Key("file").String(path);
//   json.Key("points").BeginArray();
//   for (...) json.BeginArray().Number(x).Number(y).Number(z).EndArray();
//   json.EndArray();
//   json.EndObject();   // and a newline: the document is complete
#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
 public:
  // Lines: the layout above; OneLine: the whole document on one line (a
  // line of a JSON-lines file).
  enum class Layout { Lines, OneLine };
  explicit JsonWriter(std::ostream& out, Layout layout = Layout::Lines);
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;
  ~JsonWriter();  // writes out what is left

  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  // `inlined`: the elements are plain values, on the array's own line.
  JsonWriter& BeginArray(bool inlined = false);
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);

  JsonWriter& String(std::string_view text);
  JsonWriter& Number(double value);
  JsonWriter& Number(float value);  // the shortest text of the float, not of the double nearest it
  JsonWriter& Integer(int64_t value);
  JsonWriter& Unsigned(uint64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

 private:
  struct Level {
    bool array;
    bool inlined;
    bool empty;
  };
  void BeforeValue();
  void Close(char bracket);
  void Flush(bool always);

  std::ostream& m_out;
  std::string m_text;
  std::vector<Level> m_levels;
  bool m_oneLine;
  bool m_afterKey = false;
};

// `text` as a JSON string with its quotes, in valid UTF-8.
std::string JsonQuoted(std::string_view text);
