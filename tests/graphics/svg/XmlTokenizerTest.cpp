// The XML tokenizer on its own: what it gives for well-formed markup, what
// it skips, how it decodes attribute values and where it stops.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/svg/XmlTokenizer.h"

namespace fx::igraphics::svg {
namespace {

using Token = XmlTokenizer::Token;

// Every token as text: "<name a=v>", "<name/>", "</name>", "end", "error: ...".
std::vector<std::string> Tokens(std::string_view text) {
  XmlTokenizer t(text);
  std::vector<std::string> out;
  for (int i = 0; i < 100; ++i) {
    const Token k = t.Next();
    if (k == Token::End) {
      out.push_back("end");
      break;
    }
    if (k == Token::Error) {
      out.push_back("error: " + t.ErrorText());
      break;
    }
    std::string s = k == Token::EndElement ? "</" : "<";
    s += t.Name();
    for (const XmlAttribute& a : t.Attributes()) {
      s += ' ';
      s.append(a.name);
      s += '=';
      s.append(a.value);
    }
    s += t.SelfClosing() ? "/>" : ">";
    out.push_back(s);
  }
  return out;
}

using V = std::vector<std::string>;

TEST(XmlTokenizer, ElementsAttributesAndSelfClosingTags) {
  EXPECT_EQ(Tokens("<a x='1' y=\"2\"><b/><c z = 'q\"r' ></c></a>"),
            (V{"<a x=1 y=2>", "<b/>", "<c z=q\"r>", "</c>", "</a>", "end"}));
  EXPECT_EQ(Tokens("<svg:path d=''/>"), (V{"<svg:path d=/>", "end"}));
  EXPECT_EQ(Tokens(""), (V{"end"}));
}

TEST(XmlTokenizer, SkipsTextCommentsCdataInstructionsAndDeclarations) {
  EXPECT_EQ(Tokens("\xEF\xBB\xBF<?xml version='1.0'?>\n<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"x>y\">"
                   "<!-- <not/> -- a comment --><a>text &amp; more<![CDATA[<b/>]]></a>"),
            (V{"<a>", "</a>", "end"}));
  // An internal subset may hold '>' and entity declarations.
  EXPECT_EQ(Tokens("<!DOCTYPE svg [ <!ENTITY e \"<x>\"> ]><a/>"), (V{"<a/>", "end"}));
}

TEST(XmlTokenizer, DecodesReferencesInAttributeValues) {
  EXPECT_EQ(Tokens("<a v='&amp;&lt;&gt;&quot;&apos;'/>"), (V{"<a v=&<>\"'/>", "end"}));
  EXPECT_EQ(Tokens("<a v='&#65;&#x42;&#X43;&#x20AC;'/>"), (V{"<a v=ABC\xE2\x82\xAC/>", "end"}));
  // Unknown, malformed and out-of-range references.
  EXPECT_EQ(Tokens("<a v='&nbsp; & &#xZZ; &'/>"), (V{"<a v=&nbsp; & &#xZZ; &/>", "end"}));
  EXPECT_EQ(Tokens("<a v='&#0;&#x110000;&#xD800;'/>"), (V{"<a v=\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD/>", "end"}));
  // Several decoded values in one tag stay intact.
  EXPECT_EQ(Tokens("<a p='&lt;1' q='2' r='&gt;3'/>"), (V{"<a p=<1 q=2 r=>3/>", "end"}));
}

TEST(XmlTokenizer, MalformedMarkupIsAnErrorWithItsLine) {
  EXPECT_EQ(Tokens("<a>\n<b x='1"), (V{"<a>", "error: line 2: unterminated attribute value"}));
  EXPECT_EQ(Tokens("<a x='1'"), (V{"error: line 1: unterminated start tag"}));
  EXPECT_EQ(Tokens("<a x=1/>"), (V{"error: line 1: expected a quoted attribute value"}));
  EXPECT_EQ(Tokens("<a x/>"), (V{"error: line 1: expected '=' after an attribute name"}));
  EXPECT_EQ(Tokens("<a x='1'y='2'/>"), (V{"error: line 1: expected white space between attributes"}));
  EXPECT_EQ(Tokens("<a/ >"), (V{"error: line 1: expected '>' after '/' in a start tag"}));
  EXPECT_EQ(Tokens("< a/>"), (V{"error: line 1: expected an element name after '<'"}));
  EXPECT_EQ(Tokens("<a></a"), (V{"<a>", "error: line 1: unterminated end tag"}));
  EXPECT_EQ(Tokens("<!-- x"), (V{"error: line 1: unterminated comment"}));
  EXPECT_EQ(Tokens("<![CDATA[ x"), (V{"error: line 1: unterminated CDATA section"}));
  EXPECT_EQ(Tokens("<?xml "), (V{"error: line 1: unterminated processing instruction"}));
  EXPECT_EQ(Tokens("<!DOCTYPE [ >"), (V{"error: line 1: unterminated declaration"}));
  EXPECT_EQ(Tokens("<"), (V{"error: line 1: expected an element name after '<'"}));
}

TEST(XmlTokenizer, StaysInErrorAfterAnError) {
  XmlTokenizer t("<a x=1/><b/>");
  EXPECT_EQ(t.Next(), Token::Error);
  EXPECT_EQ(t.Next(), Token::Error);
}

TEST(XmlTokenizer, KeepsABoundedNumberOfAttributes) {
  std::string tag = "<a";
  for (int i = 0; i < 1000; ++i) tag += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
  tag += "/><b c='d'/>";
  XmlTokenizer t(tag);
  ASSERT_EQ(t.Next(), Token::StartElement);
  ASSERT_EQ(t.Attributes().size(), 256u);
  EXPECT_EQ(t.Attributes().back().value, "255");
  ASSERT_EQ(t.Next(), Token::StartElement);
  EXPECT_EQ(t.Name(), "b");
}

TEST(XmlTokenizer, FindsAttributesByName) {
  XmlTokenizer t("<a x='1' y='2'/>");
  ASSERT_EQ(t.Next(), Token::StartElement);
  ASSERT_NE(FindAttribute(t.Attributes(), "y"), nullptr);
  EXPECT_EQ(*FindAttribute(t.Attributes(), "y"), "2");
  EXPECT_EQ(FindAttribute(t.Attributes(), "z"), nullptr);
}

}  // namespace
}  // namespace fx::igraphics::svg
