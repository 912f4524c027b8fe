// The extension's own scripts under node: what is media, a tab's list, a playlist's qualities, the item sent.
'use strict';
const {test} = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const extension = vm.createContext({URL});
for (const file of ['media.js', 'message.js'])
  vm.runInContext(fs.readFileSync(path.join(__dirname, '../../src/extension', file), 'utf8'), extension);
const plain = value => value === undefined ? undefined : JSON.parse(JSON.stringify(value));

const answer = (url, type, status = 200, more = {}) => ({url, statusCode: status,
  responseHeaders: Object.entries({'Content-Type': type, ...more}).map(([name, value]) => ({name, value}))});

test('a tab\'s answers make its list of media, with a stream\'s pieces folded into it', () => {
  const rows = [ // [answers in the order the tab received them, [url, kind, quality, size] of each entry]
    [[answer('https://a.example/v/clip_720.mp4', 'video/mp4', 206, {'Content-Range': 'bytes 0-99/5000'}),
      answer('https://a.example/v/clip_720.mp4#t=5', 'video/mp4', 206, {'Content-Range': 'bytes 9-99/5000'})],
    [['https://a.example/v/clip_720.mp4', 'file', 720, 5000]]],
    [[answer('https://a.example/s/master.m3u8', 'application/vnd.apple.mpegurl'),
      answer('https://a.example/s/1080p/index.m3u8', 'application/x-mpegURL'),
      answer('https://a.example/s/1080p/seg-1.ts', 'video/mp2t'),
      answer('https://cdn.example/frag/7.m4s', 'application/octet-stream'),
      answer('https://a.example/s/1080p/init.mp4', 'video/mp4')],
    [['https://a.example/s/master.m3u8', 'hls', null, null]]],
    [[answer('https://a.example/live/manifest', 'application/dash+xml; charset=utf-8'),
      answer('https://b.example/film.webm', ''),
      answer('https://b.example/gone.mp4', 'video/mp4', 404),
      answer('https://b.example/error.mp4', 'text/html'),
      answer('https://b.example/api/video.json', 'application/json'),
      answer('https://b.example/get?id=6', 'video/x-flv', 200, {'Content-Length': '12'})],
    [['https://a.example/live/manifest', 'dash', null, null], ['https://b.example/film.webm', 'file', null, null],
      ['https://b.example/get?id=6', 'file', null, 12]]],
  ];
  for (const [answers, expected] of rows) {
    const list = [];
    answers.forEach(one => extension.noteAnswer(list, one));
    assert.deepStrictEqual(plain(list).map(entry => [entry.url, entry.kind, entry.quality ?? null, entry.size ?? null]),
      expected);
  }
  const many = [];
  for (let i = 0; i < 60; ++i) extension.noteAnswer(many, answer(`https://a.example/${i}.mp4`, 'video/mp4'));
  assert.deepStrictEqual([many.length, many[0].url], [50, 'https://a.example/10.mp4']);
});

test('a playlist\'s qualities and an entry\'s line in the popup', () => {
  const master = '#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1,RESOLUTION=640x360\na.m3u8\n' +
    '#EXT-X-STREAM-INF:BANDWIDTH=2,RESOLUTION=1920x1080\nb.m3u8\n#EXT-X-STREAM-INF:RESOLUTION=1920x1080\nc.m3u8\n';
  const dash = '<MPD><Period><AdaptationSet><Representation id="1" width="1280" height="720"/>' +
    '<Representation bandwidth="9" height="480" id="2"/></AdaptationSet></Period></MPD>';
  assert.deepStrictEqual(plain(extension.playlistHeights('hls', master)), [1080, 360]);
  assert.deepStrictEqual(plain(extension.playlistHeights('dash', dash)), [720, 480]);
  const rows = [
    [{url: 'https://a.example/s.m3u8', kind: 'hls', heights: [1080, 360]}, 'HLS stream · up to 1080p'],
    [{url: 'https://a.example/c_480.webm', kind: 'file', quality: 480, size: 3 << 20}, 'WEBM video · 480p · 3.0 MB'],
    [{url: 'https://a.example/s.mpd', kind: 'dash', heights: [720], size: 900}, 'DASH stream · 720p · 900 bytes'],
  ];
  for (const [entry, line] of rows) assert.strictEqual(extension.describe(entry), line);
  assert.strictEqual(extension.newestMedia([{url: 'a', kind: 'hls'}, {url: 'b', kind: 'file'}]), 'a');
});

test('the item sent: web addresses only, the title for a chosen video, cookies the host takes', () => {
  const page = 'https://a.example/watch?v=1';
  const cookies = [
    {name: 'sid', value: 'x y', domain: '.a.example', path: '/', secure: true, expirationDate: 1799999999.7},
    {name: 'tmp', value: '1', domain: 'a.example', hostOnly: true, session: true, expirationDate: 5},
    {name: 'bad', value: 'a;b', domain: 'a.example'},
    {name: 'bad', value: 'line\nend', domain: 'a.example'},
  ];
  const rows = [
    [{address: 'https://v.example/c.mp4', page, title: 'Clip', userAgent: 'UA', cookies},
      {address: 'https://v.example/c.mp4', page, referer: page, title: 'Clip', userAgent: 'UA', cookies: [
        {name: 'sid', value: 'x y', domain: '.a.example', path: '/', secure: true, hostOnly: false, expires: 1799999999},
        {name: 'tmp', value: '1', domain: 'a.example', path: '/', secure: false, hostOnly: true}]}],
    [{page, title: 'The page'}, {page, referer: page}],
    [{address: 'javascript:alert(1)', page}, {page, referer: page}],
    [{address: 'https://v.example/x', page: 'file:///home/me/list.html', title: 'T'},
      {address: 'https://v.example/x', title: 'T'}],
    [{address: 'blob:https://a.example/1', page: 'about:blank'}, undefined],
  ];
  for (const [choice, sent] of rows) assert.deepStrictEqual(plain(extension.itemMessage(choice)), sent);
  assert.strictEqual(extension.itemMessage({address: page, title: '🎬'.repeat(600)}).title.length, 1000);
});
