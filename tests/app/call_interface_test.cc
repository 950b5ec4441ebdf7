// The call interface both ways: `velmora call` and POST /v1/call of a running `velmora serve`
// on a fresh installation receive the same arguments and answer with the same replies.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/admin_program_test.h"
#include "support/temp_folder.h"

namespace velmora::app {
namespace {

// `velmora serve` of `home` on a loopback port the system chooses; stopped when destroyed.
class ServeProcess {
 public:
  explicit ServeProcess(const std::string& home)
      : output_(popen(("echo $$; exec " VELMORA_PROGRAM " --home " + ShellQuoted(home) +
                       " serve --listen 127.0.0.1:0 --allow-root")
                          .c_str(),
                      "r")) {
    char pid[32];
    char listening[256];  // "velmora serve: listening on http://127.0.0.1:PORT/v1/call"
    if (output_ != nullptr && fgets(pid, sizeof pid, output_) != nullptr &&
        fgets(listening, sizeof listening, output_) != nullptr) {
      pid_ = std::atoi(pid);
      const std::string line = listening;
      port_ = std::atoi(line.substr(line.find_last_of(':') + 1).c_str());
    }
  }
  ~ServeProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
    }
    if (output_ != nullptr) {
      pclose(output_);
    }
  }
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  int port() const { return port_; }

  // The whole HTTP reply to a POST of `body` to /v1/call.
  std::string Post(const std::string& body, const std::string& token) const {
    const std::string request =
        "POST /v1/call HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
        "Connection: close\r\nAuthorization: Bearer " +
        token + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port_)), {htonl(INADDR_LOOPBACK)}, {}};
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
      char buffer[4096];
      for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, static_cast<size_t>(n));
      }
    }
    ::close(fd);
    return reply;
  }

 private:
  FILE* output_;
  pid_t pid_ = -1;
  int port_ = 0;
};

struct CallCase {
  std::string progid;
  std::string method;
  std::vector<std::string> args;  // each a JSON text, given to `velmora call` as one word
  std::string reply;              // the reply, or a part of it
};

class CallInterfaceTest : public AdminProgramTest {
 protected:
  void SetUpDatabase() override {
    AdminProgramTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Init();
    const std::string site = testing::ReadFile(home_ + "/config/SiteConfiguration.xml");
    const std::string marker = "<key name=\"Token\">";
    token_ = site.substr(site.find(marker) + marker.size(), 64);
  }

  // Runs `call` both ways; expects the same reply from each and returns the command line's.
  std::string BothWays(const CallCase& call, const ServeProcess& server) {
    std::vector<std::string> words = {"--home", home_, "call", call.progid, call.method};
    words.insert(words.end(), call.args.begin(), call.args.end());
    const Outcome command = RunVelmora(words);
    std::string body =
        R"({"progid":")" + call.progid + R"(","method":")" + call.method + R"(","args":[)";
    for (size_t i = 0; i < call.args.size(); ++i) {
      body += (i == 0 ? "" : ",") + call.args[i];
    }
    const std::string http = server.Post(body + "]}", token_);
    EXPECT_EQ(http.rfind("HTTP/1.1 200", 0), 0u) << http;
    const size_t start = http.find("\r\n\r\n");
    EXPECT_EQ(command.output, (start == std::string::npos ? http : http.substr(start + 4)) + "\n");
    const bool failed = command.output.rfind("{\"error\"", 0) == 0;
    EXPECT_EQ(command.exit_code, failed ? 1 : 0) << command.output;
    return command.output;
  }

  std::string token_;
};

TEST_P(CallInterfaceTest, ArgumentsDocumentsAndRecordsetsTravelTheSameBothWays) {
  auto connection = ProgramDatabase();
  connection->Execute(
      "INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (5, 'a,[1].txt')");
  connection.reset();
  const std::string recordset_in = R"({"columns":["ID","NOTE"],"rows":[[7,"x, [y]"],[8,null]]})";
  const std::vector<CallCase> calls = {
      {"Velmora.Base64", "Base64Encode", {"[97,98,99]"}, R"({"result":"YWJj","args":["YWJj"]})"},
      {"Velmora.Base64", "Base64Encode", {"[]"}, R"(no data to encode."},"args":[""]})"},
      {"Velmora.Base64",
       "Base64Encode",
       {"[[97,98,99]]"},
       R"(cannot be converted: Type mismatch"},"args":[[[97,98,99]]]})"},
      {"Velmora.Utility",
       "ExecuteXSLPattern",
       {R"("<r><a>[x, y]</a></r>")", R"("//a")"},
       R"({"result":"[x, y]","args":["<r><a>[x, y]</a></r>","//a"]})"},
      {"Velmora.Utility",
       "ExecuteXSLPattern",
       {R"("<r>\n<a></r>")", R"("//a")"},
       R"((oXmlDoc) cannot be converted: The XML text is not well-formed: Opening and ending tag )"
       R"x(mismatch: a line 2 and r (line 2, column 8)"},"args":["<r>\n<a></r>","//a"]})x"},
      {"Velmora.Utility",
       "ExecuteXSLPattern",
       {"null", R"("/r")"},
       R"({"result":"","args":[null,"/r"]})"},
      {"Velmora.XML",
       "ApplyXslStyleSheetToXmlDomDocument",
       {R"("<r a=\"1\"/>")", "null"},
       R"({"result":"<r a=\"1\"/>","args":["<r a=\"1\"/>",null]})"},
      {"Velmora.Attachments",
       "GetDocumentAttachmentsRS",
       {"5"},
       R"({"result":{"columns":["ATTACHMENTFILENAME","ATTACHMENTID"],"rows":[["a,[1].txt",1]]},)"
       R"("args":[5]})"},
      {"Velmora.Attachments",
       "GetDocumentAttachmentsRS",
       {"6"},
       R"({"result":{"columns":["ATTACHMENTFILENAME","ATTACHMENTID"],"rows":[]},"args":[6]})"},
      {"Velmora.Utility",
       "SetLongDBTextField",
       {R"("{a, [b]}")", R"("NOTE")", recordset_in},
       R"({"result":null,"args":["{a, [b]}","NOTE",)"
       R"({"columns":["ID","NOTE"],"rows":[[7,"{a, [b]}"],[8,null]]}]})"},
      {"Velmora.Pipeline",
       "IReferentialIntegrity_Exists",
       {R"("DOCUMENTTYPE")", R"(["DOCUMENTTYPEID"])", R"(["NO, SUCH [TYPE]"])"},
       R"({"result":false,"args":["DOCUMENTTYPE",["DOCUMENTTYPEID"],["NO, SUCH [TYPE]"]]})"},
  };
  ServeProcess server(home_);
  ASSERT_GT(server.port(), 0) << "velmora serve did not report its port";
  for (const CallCase& call : calls) {
    SCOPED_TRACE(call.method + " " + ::testing::PrintToString(call.args));
    const std::string reply = BothWays(call, server);
    EXPECT_TRUE(testing::Contains(reply, call.reply)) << reply;
  }
}

TEST_P(CallInterfaceTest, CommandLineTakesEachWordWhole) {
  const Outcome words =
      RunVelmora({"--home", home_, "call", "Velmora.SQLQueries", "GetDocListQuery", "0", "[a,b]",
                  "[]", "[]", "0", "[]", "[]", "0", "0", "nobody", "null", "null"});
  EXPECT_TRUE(testing::Contains(words.output, R"({"result":null,"args":[0,"[a,b]",[],[],0,[],)"))
      << words.output;
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(CallInterfaceTest);

}  // namespace
}  // namespace velmora::app
