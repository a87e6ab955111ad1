// A small HTTP server answering every request in the language its
// Accept-Language header asks for, numbers included, from a pool of worker
// threads that share one translator per language list.
//
//   keznls-server [--port N] [--threads N] [--untranslated]
//
// Listens on 127.0.0.1 (port 0: any free one) and prints
// "listening on http://127.0.0.1:<port>/" once it accepts requests; stops
// on SIGINT or SIGTERM. GET /files?count=N&bytes=B answers with a short
// report on N files of B bytes in all. --untranslated answers in English
// with no catalogue, the baseline of bench/server.
#include <httplib.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "keznls/keznls.h"

namespace {

constexpr const char* kDomain = "keznls-server";

struct Options {
  int port = 0;
  int threads = 4;
  bool untranslated = false;
};

bool read_options(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--untranslated") options->untranslated = true;
    else if (arg == "--port" && i + 1 < argc) options->port = std::atoi(argv[++i]);
    else if (arg == "--threads" && i + 1 < argc) options->threads = std::atoi(argv[++i]);
    else return false;
  }
  return options->port >= 0 && options->threads > 0;
}

// The report, through whichever translator and formatter the request has.
std::string report(const keznlsTranslatorAndFormatter& text, long count, double bytes) {
  std::string body = text.stprintf(kDomain, "Hello from the file server.\n").c_str();
  body += text.nstprintf(kDomain, "You have %ld file.\n", "You have %ld files.\n", count, count).c_str();
  body += text.stprintf(kDomain, "Together they take %'.1f MB.\n", bytes / 1e6).c_str();
  return body;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!read_options(argc, argv, &options)) {
    std::fprintf(stderr, "usage: keznls-server [--port N] [--threads N] [--untranslated]\n");
    return 2;
  }

  // [server-set]
  // One translator per language list, made on first use and shared by
  // every worker thread; numbers in the language that answers.
  keznlsTranslatorSet translators(keznls_catalogue_folder(KEZNLS_SERVER_INSTALLED_CATALOGUE).c_str(), kDomain);
  const keznlsCatalogueStatus status = translators.status();
  if (!status.folder_exists || !status.any_language) {
    std::fprintf(stderr, "keznls-server: %s\n",
                 !status.folder_exists ? "no catalogue folder" : "no catalogue of keznls-server in it");
    return 1;
  }
  // [server-set]

  // The baseline: the originals and English numbers, nothing looked up.
  keznlsTranslatorDefault originals;
  keznlsFormatterNamedLocale english("en");
  const keznlsTranslatorAndFormatter untranslated(&originals, &english);

  // Stopped from a thread of its own, which waits for the signal.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  httplib::Server server;
  server.set_tcp_nodelay(true);  // small answers go out at once, not after the peer's delayed ack
  const int threads = options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
  // [server-handler]
  server.Get("/files", [&](const httplib::Request& request, httplib::Response& response) {
    const long count = request.has_param("count") ? std::atol(request.get_param_value("count").c_str()) : 0;
    const double bytes = request.has_param("bytes") ? std::atof(request.get_param_value("bytes").c_str()) : 0;
    if (options.untranslated) {
      response.set_content(report(untranslated, count, bytes), "text/plain; charset=utf-8");
      return;
    }
    // One call, from any worker: the shared entry for this header.
    const keznlsTranslatorSetEntry& entry = translators.for_header(request.get_header_value("Accept-Language"));
    response.set_header("Content-Language", entry.language());
    response.set_content(report(entry.text(), count, bytes), "text/plain; charset=utf-8");
  });
  // [server-handler]

  int port = options.port;
  if (port == 0) port = server.bind_to_any_port("127.0.0.1");
  else if (!server.bind_to_port("127.0.0.1", port)) port = -1;
  if (port < 0) {
    std::fprintf(stderr, "keznls-server: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.stop();
  });
  std::printf("listening on http://127.0.0.1:%d/\n", port);
  std::fflush(stdout);
  server.listen_after_bind();
  // Stopped by a signal, or the server failed: wake the waiter either way.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return 0;
}
