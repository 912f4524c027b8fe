#include "sites/RedirectRequest.h"

namespace vidtrawl::sites {

std::string BuildRedirectRequest(const std::string &host, const std::string &path) {
  std::string request;
  request += "GET " + path + " HTTP/1.1\r\n";
  request += "Host: " + host + "\r\n";
  request += "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,"
             "text/plain;q=0.8,image/png,*/*;q=0.5\r\n";
  request += "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.1.9) "
             "Gecko/20071025 Firefox/2.0.0.9\r\n";
  request += "Accept -Encoding: gzip , deflate\r\n";
  request += "Accept-Language: en-us,en;q=0.5\r\n";
  request += "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n";
  request += "Connection: Close\r\n";
  request += "\r\n";
  return request;
}

} // namespace vidtrawl::sites
