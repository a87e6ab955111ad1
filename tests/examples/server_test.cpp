// examples/server started on a free loopback port and asked, through
// cpp-httplib's client, with headers browsers send.
#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

// The server as a child process, stopped with SIGTERM at the end. The shell
// prints its pid, then becomes the server.
class Server {
 public:
  Server() : out_(popen("echo $$; exec '" KEZNLS_SERVER "'", "r")) {
    if (out_ == nullptr || std::fscanf(out_, "%d listening on http://127.0.0.1:%d/", &pid_, &port_) != 2) port_ = 0;
  }
  ~Server() { stop(); }
  int stop() {
    if (out_ == nullptr) return -1;
    if (pid_ > 0) kill(pid_, SIGTERM);
    const int status = pclose(std::exchange(out_, nullptr));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  int port() const { return port_; }

 private:
  FILE* out_;
  int pid_ = 0, port_ = 0;
};

// The Accept-Language header (null: none sent), the count asked, the Content-Language and body expected.
// How headers pick a language is translator_set_test's; here each language's answer, whole.
struct Case { const char* header; long count; const char *language, *body; };

const Case kCases[] = {
    {"de-CH", 1, "de", "Hallo vom Dateiserver.\nSie haben 1 Datei.\nZusammen belegen sie 1.234,6 MB.\n"},
    {"fr-FR,fr;q=0.9", 0, "fr",
     "Bonjour du serveur de fichiers.\nVous avez 0 fichier.\nEnsemble, ils occupent 1\u202f234,6 Mo.\n"},
    {"pl,en-US;q=0.7,en;q=0.3", 3, "pl", "Witaj na serwerze plików.\nMasz 3 pliki.\nRazem zajmują 1\u202f234,6 MB.\n"},
    {"pt-BR, fr;q=0.9, en;q=0.8", 2, "fr",
     "Bonjour du serveur de fichiers.\nVous avez 2 fichiers.\nEnsemble, ils occupent 1\u202f234,6 Mo.\n"},
    {nullptr, 2, "en", "Hello from the file server.\nYou have 2 files.\nTogether they take 1,234.6 MB.\n"},
};

// The answer's Content-Language, "|", and body.
std::string ask(httplib::Client& client, const Case& c) {
  httplib::Headers headers;
  if (c.header != nullptr) headers.emplace("Accept-Language", c.header);
  const auto result = client.Get(("/files?count=" + std::to_string(c.count) + "&bytes=1234567890").c_str(), headers);
  if (!result || result->status != 200) return "<no answer>";
  return result->get_header_value("Content-Language") + "|" + result->body;
}
std::string expected(const Case& c) { return std::string(c.language) + "|" + c.body; }

TEST(ServerTest, AnswersEachRequestInItsLanguage) {
  Server server;
  ASSERT_GT(server.port(), 0) << "the server did not start";
  httplib::Client client("127.0.0.1", server.port());
  for (const Case& c : kCases) EXPECT_EQ(ask(client, c), expected(c)) << (c.header ? c.header : "(no header)");
  EXPECT_EQ(server.stop(), 0);  // a clean stop on SIGTERM
}

}  // namespace
