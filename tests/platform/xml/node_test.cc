#include "velmora/xml/node.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/xml/document.h"

namespace velmora::xml {
namespace {

using velmora::testing::RaisedBy;

std::vector<std::string> Texts(const NodeList& nodes) {
  std::vector<std::string> texts;
  for (const Node& node : nodes) {
    texts.push_back(node.Text());
  }
  return texts;
}

std::vector<std::string> Names(const NodeList& nodes) {
  std::vector<std::string> names;
  for (const Node& node : nodes) {
    names.push_back(node.Name());
  }
  return names;
}

constexpr const char* kWorkbook =
    "<B2BEXCEL WorkBook=\"book\">"
    "<RECEIVER>12</RECEIVER><RECEIVER>15</RECEIVER>"
    "<WORKSHEET Name=\"x\"><CELL Row=\"1\" Column=\"A\">a1</CELL>"
    "<CELL Row=\"2\" Column=\"B\" Formula=\"=1+1\">2</CELL></WORKSHEET>"
    "<WORKSHEET Name=\"y\"><CELL Row=\"1\" Column=\"A\">y1</CELL></WORKSHEET>"
    "</B2BEXCEL>";

class NodeTest : public ::testing::Test {
 protected:
  void Load(const std::string& xml) { ASSERT_TRUE(doc_.LoadXml(xml)) << doc_.parse_error().reason; }
  Node Root() { return *doc_.DocumentElement(); }

  Document doc_;
};

TEST_F(NodeTest, BuildsAndReadsBackAReplacementsDocument) {
  doc_.SetDocumentElement(doc_.CreateElement("REPS"));
  for (auto [key, value] : {std::pair{"[%DOCID%]", "12"}, {"[%FILENAME%]", "a&b.xml"}}) {
    Node rep = doc_.CreateElement("REP");
    rep.AppendChild(doc_.CreateTextNode(value));
    rep.SetAttribute("name", key);
    Root().AppendChild(rep);
  }
  EXPECT_EQ(doc_.Xml(),
            "<REPS><REP name=\"[%DOCID%]\">12</REP>"
            "<REP name=\"[%FILENAME%]\">a&amp;b.xml</REP></REPS>");
  Document stored;
  ASSERT_TRUE(stored.LoadXml(doc_.Xml()));
  NodeList reps = stored.SelectNodes("//REP");
  ASSERT_EQ(reps.Count(), 2u);
  EXPECT_EQ(reps.Item(0).GetAttribute("name"), "[%DOCID%]");
  EXPECT_EQ(reps.Item(1).GetAttribute("name"), "[%FILENAME%]");
  EXPECT_EQ(Texts(reps), (std::vector<std::string>{"12", "a&b.xml"}));
}

TEST_F(NodeTest, SelectionsComeInDocumentOrder) {
  Load("<r><c>1</c><a>2<c>3</c></a><b/><a>4</a><c>5</c></r>");
  EXPECT_EQ(Texts(doc_.SelectNodes("//c")), (std::vector<std::string>{"1", "3", "5"}));
  EXPECT_EQ(Texts(doc_.SelectNodes("//c | //a")),
            (std::vector<std::string>{"1", "23", "3", "4", "5"}));
  EXPECT_EQ(Texts(doc_.SelectNodes("//a[2] | //c[1]")), (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_EQ(Texts(doc_.SelectNodes("/r/*[position() > 3]")), (std::vector<std::string>{"4", "5"}));
}

TEST_F(NodeTest, SelectsWorkbookCellsByPredicateAndAttribute) {
  Load(kWorkbook);
  NodeList cells = doc_.SelectNodes("/B2BEXCEL/WORKSHEET[@Name='x']/CELL");
  EXPECT_EQ(Texts(cells), (std::vector<std::string>{"a1", "2"}));
  EXPECT_EQ(Texts(doc_.SelectNodes("//RECEIVER")), (std::vector<std::string>{"12", "15"}));
  EXPECT_EQ(doc_.SelectNodes("//*[@Formula]").Count(), 1u);
  EXPECT_EQ(doc_.SelectNodes("//WORKSHEET[CELL = 'y1']/@Name").Item(0).Text(), "y");

  NodeList names = doc_.SelectNodes("//@Name");
  ASSERT_EQ(names.Count(), 2u);
  EXPECT_EQ(names.Item(0).Type(), NodeType::kAttribute);
  EXPECT_EQ(names.Item(0).Name(), "Name");
  EXPECT_EQ(Texts(names), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(names.Item(1).Parent()->Name(), "WORKSHEET");
}

TEST_F(NodeTest, SelectsRelativeToTheNode) {
  Load(kWorkbook);
  Node sheet = *doc_.SelectSingleNode("//WORKSHEET[2]");
  EXPECT_EQ(Texts(sheet.SelectNodes("CELL")), (std::vector<std::string>{"y1"}));
  EXPECT_EQ(sheet.SelectNodes("//CELL").Count(), 3u);
  EXPECT_EQ(sheet.SelectSingleNode("..")->Name(), "B2BEXCEL");
  EXPECT_EQ(sheet.SelectSingleNode("@Name")->Text(), "y");
  EXPECT_FALSE(sheet.SelectSingleNode("RECEIVER").has_value());
}

TEST_F(NodeTest, SelectSingleNodeGivesTheFirstInDocumentOrderOrNothing) {
  Load("<r><x>2</x><y><x>1</x></y></r>");
  EXPECT_EQ(doc_.SelectSingleNode("//x")->Text(), "2");
  EXPECT_EQ(doc_.SelectSingleNode("//y/x | //x")->Text(), "2");
  EXPECT_FALSE(doc_.SelectSingleNode("//z").has_value());
}

TEST_F(NodeTest, PrefixesDeclaredInTheDocumentCanBeUsed) {
  Load("<p:r xmlns:p=\"urn:orders\"><p:i>1</p:i><i>2</i></p:r>");
  EXPECT_EQ(Texts(doc_.SelectNodes("//p:i")), (std::vector<std::string>{"1"}));
  Node item = *doc_.SelectSingleNode("//p:i");
  EXPECT_EQ(item.Name(), "p:i");
  EXPECT_EQ(item.LocalName(), "i");
  EXPECT_EQ(item.NamespaceUri(), "urn:orders");
  EXPECT_EQ(Texts(doc_.SelectNodes("//i")), (std::vector<std::string>{"2"}));
}

TEST_F(NodeTest, InvalidExpressionRaisesInvalidXslPatternWithTheParsersMessage) {
  Load("<r/>");
  for (std::string expression : {"//[", "/r/", "//REP[@name='x'", ""}) {
    SCOPED_TRACE(expression);
    Error error = RaisedBy([&] { doc_.SelectNodes(expression); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidXSLPatternError));
    EXPECT_NE(error.description().find("'" + expression + "'"), std::string::npos)
        << error.description();
  }
  Error error = RaisedBy([&] { Root().SelectSingleNode("//["); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidXSLPatternError));
  EXPECT_NE(error.description().find("Invalid expression"), std::string::npos)
      << error.description();
}

TEST_F(NodeTest, ExpressionsThatDoNotSelectNodesRaise) {
  Load("<r><a/></r>");
  for (std::string expression : {"count(//a)", "'text'", "unknown-function(1)", "$undefined"}) {
    SCOPED_TRACE(expression);
    EXPECT_EQ(RaisedBy([&] { doc_.SelectNodes(expression); }).number(),
              ErrNumber(EnumerationErrors::InvalidXSLPatternError));
  }
}

TEST_F(NodeTest, TextConcatenatesDescendantTextAndCData) {
  Load("<a> x <b>y</b><!--c--><?p q?>z<![CDATA[<w>]]></a>");
  EXPECT_EQ(Root().Text(), " x yz<w>");
  EXPECT_EQ(doc_.SelectSingleNode("//comment()")->Text(), "c");
  EXPECT_EQ(doc_.SelectSingleNode("//processing-instruction()")->Text(), "q");
}

TEST_F(NodeTest, NodeNamesAndKinds) {
  Load("<!DOCTYPE r><r a=\"1\">t<![CDATA[c]]><!--m--><?target data?></r>");
  NodeList children = Root().ChildNodes();
  EXPECT_EQ(Names(children),
            (std::vector<std::string>{"#text", "#cdata-section", "#comment", "target"}));
  EXPECT_EQ(children.Item(0).Type(), NodeType::kText);
  EXPECT_EQ(children.Item(1).Type(), NodeType::kCData);
  EXPECT_EQ(children.Item(2).Type(), NodeType::kComment);
  EXPECT_EQ(children.Item(3).Type(), NodeType::kProcessingInstruction);
  EXPECT_EQ(doc_.AsNode().Name(), "#document");
  EXPECT_EQ(doc_.AsNode().Type(), NodeType::kDocument);
  EXPECT_EQ(doc_.AsNode().FirstChild()->Type(), NodeType::kDocumentType);
  EXPECT_EQ(Root().Parent()->Type(), NodeType::kDocument);
  EXPECT_FALSE(doc_.AsNode().Parent().has_value());
  EXPECT_EQ(Root().GetAttributeNode("a")->Parent()->Name(), "r");
}

TEST_F(NodeTest, SetTextReplacesAllChildren) {
  Load("<RECEIVER>12<x>y</x>z</RECEIVER>");
  Node receiver = Root();
  Node removed = *receiver.FirstChild();
  receiver.SetText("a<b");
  EXPECT_EQ(doc_.Xml(), "<RECEIVER>a&lt;b</RECEIVER>");
  EXPECT_EQ(receiver.ChildNodes().Count(), 1u);
  receiver.SetText("");
  EXPECT_EQ(doc_.Xml(), "<RECEIVER/>");
  EXPECT_FALSE(receiver.HasChildNodes());
  EXPECT_EQ(removed.Text(), "12");  // the old child is detached, not freed
  EXPECT_FALSE(removed.Parent().has_value());
}

TEST_F(NodeTest, AttributesAreReadWrittenAndRemoved) {
  Load("<e b=\"1\" a=\"2\"/>");
  Node e = Root();
  EXPECT_EQ(e.GetAttribute("b"), "1");
  EXPECT_FALSE(e.GetAttribute("c").has_value());
  e.SetAttribute("b", "&x;");
  e.SetAttribute("c", "3");
  EXPECT_EQ(doc_.Xml(), "<e b=\"&amp;x;\" a=\"2\" c=\"3\"/>");
  EXPECT_EQ(e.GetAttribute("b"), "&x;");
  EXPECT_EQ(Names(e.Attributes()), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(e.RemoveAttribute("a"));
  EXPECT_FALSE(e.RemoveAttribute("a"));
  EXPECT_EQ(doc_.Xml(), "<e b=\"&amp;x;\" c=\"3\"/>");
  e.SetAttribute("empty", "");
  EXPECT_EQ(doc_.Xml(), "<e b=\"&amp;x;\" c=\"3\" empty=\"\"/>");
  EXPECT_EQ(e.GetAttributeNode("c")->Xml(), "c=\"3\"");
}

TEST_F(NodeTest, SetAttributeNodeReplacesInPlaceAndReturnsTheOldOne) {
  Load("<e a=\"1\" b=\"2\" c=\"3\"/>");
  Node attribute = doc_.CreateAttribute("b");
  attribute.SetText("new");
  std::optional<Node> old = Root().SetAttributeNode(attribute);
  ASSERT_TRUE(old.has_value());
  EXPECT_EQ(old->Text(), "2");
  EXPECT_EQ(doc_.Xml(), "<e a=\"1\" b=\"new\" c=\"3\"/>");
  Node other = doc_.CreateElement("f");
  Root().AppendChild(other);
  EXPECT_EQ(RaisedBy([&] { other.SetAttributeNode(attribute); }).number(),
            kErrInvalidProcedureCall);
}

TEST_F(NodeTest, InsertsRemovesReplacesAndMovesChildren) {
  Load("<r><a/><b/></r>");
  Node r = Root();
  Node a = *r.FirstChild();
  Node b = *r.LastChild();
  r.InsertBefore(doc_.CreateElement("x"), b);
  EXPECT_EQ(doc_.Xml(), "<r><a/><x/><b/></r>");
  r.InsertBefore(doc_.CreateElement("y"), std::nullopt);
  EXPECT_EQ(doc_.Xml(), "<r><a/><x/><b/><y/></r>");
  r.AppendChild(a);  // moves
  EXPECT_EQ(doc_.Xml(), "<r><x/><b/><y/><a/></r>");
  Node removed = r.RemoveChild(b);
  EXPECT_EQ(removed, b);
  EXPECT_EQ(doc_.Xml(), "<r><x/><y/><a/></r>");
  Node old = r.ReplaceChild(b, a);
  EXPECT_EQ(old, a);
  EXPECT_EQ(doc_.Xml(), "<r><x/><y/><b/></r>");
  b.AppendChild(a);
  EXPECT_EQ(doc_.Xml(), "<r><x/><y/><b><a/></b></r>");
  EXPECT_EQ(a.Parent()->Name(), "b");
  EXPECT_EQ(b.PreviousSibling()->Name(), "y");
  EXPECT_FALSE(b.NextSibling().has_value());
}

TEST_F(NodeTest, AdjacentTextNodesAreNotMerged) {
  Load("<r/>");
  Node first = Root().AppendChild(doc_.CreateTextNode("a"));
  Node second = Root().AppendChild(doc_.CreateTextNode("b"));
  EXPECT_EQ(Root().ChildNodes().Count(), 2u);
  EXPECT_EQ(doc_.Xml(), "<r>ab</r>");
  second.SetText("c");
  EXPECT_EQ(first.Text(), "a");
  EXPECT_EQ(doc_.Xml(), "<r>ac</r>");
}

TEST_F(NodeTest, MisuseRaisesInvalidProcedureCall) {
  Load("<r><a/></r>");
  Document other;
  ASSERT_TRUE(other.LoadXml("<o/>"));
  Node a = *Root().FirstChild();
  std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"foreign node", [&] { Root().AppendChild(*other.DocumentElement()); }},
      {"cycle", [&] { a.AppendChild(Root()); }},
      {"self", [&] { a.AppendChild(a); }},
      {"second root", [&] { doc_.AsNode().AppendChild(doc_.CreateElement("s")); }},
      {"not a child", [&] { a.RemoveChild(Root()); }},
      {"bad reference", [&] { Root().InsertBefore(doc_.CreateElement("x"), Root()); }},
      {"bad name", [&] { doc_.CreateElement("1abc"); }},
      {"empty name", [&] { doc_.CreateElement(""); }},
      {"space in name", [&] { doc_.CreateAttribute("a b"); }},
      {"comment", [&] { doc_.CreateComment("a--b"); }},
      {"pi data", [&] { doc_.CreateProcessingInstruction("p", "?>"); }},
      {"pi xml", [&] { doc_.CreateProcessingInstruction("xml", "v"); }},
      {"text under document", [&] { doc_.AsNode().AppendChild(doc_.CreateTextNode("t")); }},
      {"attribute as child", [&] { Root().AppendChild(doc_.CreateAttribute("x")); }},
      {"attribute on text", [&] { doc_.CreateTextNode("t").SetAttribute("a", "b"); }},
      {"text of document", [&] { doc_.AsNode().SetText("t"); }},
      {"clone document", [&] { doc_.AsNode().CloneNode(true); }},
  };
  for (auto& [name, action] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RaisedBy(action).number(), kErrInvalidProcedureCall);
  }
  EXPECT_EQ(doc_.Xml(), "<r><a/></r>");
}

TEST_F(NodeTest, ImportsNodesFromAnotherDocument) {
  Load("<r/>");
  Document other;
  ASSERT_TRUE(other.LoadXml("<p:o xmlns:p=\"urn:p\" k=\"v\"><p:c>t</p:c></p:o>"));
  Node deep = doc_.ImportNode(*other.DocumentElement(), true);
  Node shallow = doc_.ImportNode(*other.DocumentElement(), false);
  Root().AppendChild(deep);
  Root().AppendChild(shallow);
  EXPECT_EQ(doc_.Xml(),
            "<r><p:o xmlns:p=\"urn:p\" k=\"v\"><p:c>t</p:c></p:o>"
            "<p:o xmlns:p=\"urn:p\" k=\"v\"/></r>");
  EXPECT_EQ(other.Xml(), "<p:o xmlns:p=\"urn:p\" k=\"v\"><p:c>t</p:c></p:o>");
}

TEST_F(NodeTest, ClonesDeepOrShallow) {
  Load("<r><a x=\"1\"><b/></a></r>");
  Node a = *Root().FirstChild();
  Node deep = a.CloneNode(true);
  Node shallow = a.CloneNode(false);
  EXPECT_FALSE(deep.Parent().has_value());
  Root().AppendChild(deep);
  Root().AppendChild(shallow);
  EXPECT_EQ(doc_.Xml(), "<r><a x=\"1\"><b/></a><a x=\"1\"><b/></a><a x=\"1\"/></r>");
}

TEST_F(NodeTest, ANodeOutlivesItsDocumentObject) {
  auto doc = std::make_unique<Document>();
  ASSERT_TRUE(doc->LoadXml("<r><a>1</a><b>2</b></r>"));
  Node b = *doc->SelectSingleNode("//b");
  Node detached = doc->DocumentElement()->RemoveChild(*doc->SelectSingleNode("//a"));
  doc.reset();
  EXPECT_EQ(b.Text(), "2");
  EXPECT_EQ(b.Xml(), "<b>2</b>");
  EXPECT_EQ(detached.Xml(), "<a>1</a>");
  b.SetAttribute("k", "v");
  std::shared_ptr<Document> owner = b.OwnerDocument();
  EXPECT_EQ(owner->Xml(), "<r><b k=\"v\">2</b></r>");
  EXPECT_EQ(b.Parent()->SelectNodes("*").Count(), 1u);
}

TEST_F(NodeTest, LoadingAgainLeavesEarlierNodesOnTheEarlierTree) {
  Load("<first><x>old</x></first>");
  Node x = *doc_.SelectSingleNode("//x");
  Load("<second/>");
  EXPECT_EQ(x.Text(), "old");
  EXPECT_EQ(x.OwnerDocument()->Xml(), "<first><x>old</x></first>");
  EXPECT_EQ(doc_.Xml(), "<second/>");
  EXPECT_EQ(RaisedBy([&] { Root().AppendChild(x); }).number(), kErrInvalidProcedureCall);
}

TEST_F(NodeTest, NodeListIndexesFromZeroAndChecksBounds) {
  Load("<r><a/><b/></r>");
  NodeList children = Root().ChildNodes();
  EXPECT_EQ(children.Item(0).Name(), "a");
  EXPECT_EQ(children.Item(1).Name(), "b");
  EXPECT_EQ(RaisedBy([&] { children.Item(2); }).number(), kErrSubscriptOutOfRange);
  Variant held{ObjectRef(std::make_shared<NodeList>(children))};
  ASSERT_NE(held.As<NodeList>(), nullptr);
  EXPECT_EQ(held.As<NodeList>()->Count(), 2u);
}

TEST_F(NodeTest, ListsAreSnapshots) {
  Load("<r><a/><b/></r>");
  NodeList before = Root().ChildNodes();
  Root().RemoveChild(before.Item(0));
  EXPECT_EQ(before.Count(), 2u);
  EXPECT_EQ(before.Item(0).Name(), "a");
  EXPECT_EQ(Root().ChildNodes().Count(), 1u);
}

TEST_F(NodeTest, CommentsCDataAndInstructionsAreBuiltAndSerialised) {
  doc_.SetDocumentElement(doc_.CreateElement("r"));
  Root().AppendChild(doc_.CreateComment(" note "));
  Root().AppendChild(doc_.CreateCDataSection("a]]>b"));
  Root().AppendChild(doc_.CreateProcessingInstruction("pi", "x=1"));
  doc_.AsNode().InsertBefore(doc_.CreateComment("top"), Root());
  std::string xml = doc_.Xml();
  Document again;
  ASSERT_TRUE(again.LoadXml(xml)) << xml;
  EXPECT_EQ(again.DocumentElement()->Text(), "a]]>b");
  EXPECT_EQ(xml.substr(0, 11), "<!--top-->\n");
  EXPECT_NE(xml.find("<!-- note -->"), std::string::npos);
  EXPECT_NE(xml.find("<?pi x=1?>"), std::string::npos);
}

}  // namespace
}  // namespace velmora::xml
