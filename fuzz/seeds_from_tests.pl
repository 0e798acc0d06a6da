#!/usr/bin/perl
# Seeds both fuzzers with the BASIC lines that the tests type: one seed per test.
# Usage: seeds_from_tests.pl TESTS_FOLDER TYPED_SEEDS_FOLDER PROGRAM_SEEDS_FOLDER
use strict;
use warnings;

my ($tests, $typed_out, $program_out) = @ARGV;
die "usage: $0 TESTS TYPED_OUT PROGRAM_OUT\n" unless defined $program_out;
my $keywords = qr/^(?:random|files|outchar|for|next|trace|stop|if|rem|input|print|poke|vpoke|clear|run|goto|gosub|return|new|help|end|bye|list|save|load|let|[a-z]\s*=|@\()/i;

# A C string literal's bytes.
sub decode {
  my ($text) = @_;
  $text =~ s/\\(x[0-9A-Fa-f]{1,2}|[0-7]{1,3}|.)/
    my $e = $1;
    $e =~ m{^x} ? chr(hex(substr($e, 1))) :
    $e =~ m{^[0-7]} ? chr(oct($e)) :
    $e eq 'n' ? "\n" : $e eq 'r' ? "\r" : $e eq 't' ? "\t" : $e/ge;
  return $text;
}

sub write_seed {
  my ($folder, $name, $bytes) = @_;
  open(my $out, '>:raw', "$folder/$name") or die "$folder/$name: $!\n";
  print $out $bytes;
  close($out);
}

my $count = 0;
for my $file (sort glob("$tests/*_test.cpp")) {
  open(my $in, '<:raw', $file) or die "$file: $!\n";
  my $source = do { local $/; <$in> };
  close($in);
  my ($base) = $file =~ m{([^/]+)_test\.cpp$};
  my $block = 0;
  for my $test (split /\nTEST/, $source) {
    my @lines;
    while ($test =~ /"((?:[^"\\\n]|\\.)*)"/g) {
      for my $line (split /\n/, decode($1)) {
        push @lines, $line if $line =~ /^\d+\s*\S/ || $line =~ $keywords;
      }
    }
    $block++;
    next unless @lines;
    my @numbered = grep { /^\d/ } @lines;
    write_seed($typed_out, "$base-$block", join("\n", @lines) . "\n");
    write_seed($program_out, "$base-$block", join("\r\n", @numbered) . "\r\n") if @numbered;
    $count++;
  }
}
print "seeds from $count tests\n";
